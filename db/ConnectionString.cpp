#include "ConnectionString.h"

#include <QList>
#include <QPair>
#include <stdexcept>

namespace kuz {
namespace {

const QString freeTds = QStringLiteral("FreeTDS");

using Items = QList<QPair<QString, QString>>;

Items parseOleDb(const QString& text) {
    Items items;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        qsizetype eq = text.indexOf(u'=', i);
        qsizetype semi = text.indexOf(u';', i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // A piece without "=": nothing to read, go on after it.
            if (semi < 0)
                break;
            i = semi + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < n && text[i].isSpace())
            ++i;
        QString value;
        if (i < n && (text[i] == u'"' || text[i] == u'\'')) {
            const QChar quote = text[i++];
            for (; i < n; ++i) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i];
            }
            qsizetype end = text.indexOf(u';', i);
            i = end < 0 ? n : end + 1;
        } else {
            qsizetype end = text.indexOf(u';', i);
            value = text.mid(i, (end < 0 ? n : end) - i).trimmed();
            i = end < 0 ? n : end + 1;
        }
        if (!key.isEmpty())
            items.append({key, value});
    }
    return items;
}

bool isTrue(const QString& value) {
    const QString v = value.trimmed().toLower();
    return v == u"true" || v == u"yes" || v == u"1" || v == u"sspi" || v == u"mandatory" ||
           v == u"strict";
}

QString braced(const QString& value) {
    QString escaped = value;
    escaped.replace(u'}', QStringLiteral("}}"));
    return u'{' + escaped + u'}';
}

} // namespace

QStringList preferredSqlServerDrivers() {
    return {QStringLiteral("ODBC Driver 18 for SQL Server"),
            QStringLiteral("ODBC Driver 17 for SQL Server"), freeTds};
}

bool OdbcTarget::isFreeTds() const {
    return driver.compare(freeTds, Qt::CaseInsensitive) == 0;
}

bool OdbcTarget::fitsConnectionString() const {
    if (!isFreeTds())
        return true;
    for (const QString* v : {&host, &instance, &user, &password, &database})
        if (v->contains(u'}'))
            return false;
    return true;
}

QString OdbcTarget::connectionString() const {
    QString s = QStringLiteral("DRIVER=") + braced(driver) + u';';
    QString server = host;
    if (!instance.isEmpty())
        server += u'\\' + instance;
    if (port && !isFreeTds())
        server += u',' + QString::number(*port);
    s += QStringLiteral("SERVER=") + braced(server) + u';';
    // FreeTDS does not read "host,port": it takes the port apart.
    if (port && isFreeTds())
        s += QStringLiteral("PORT=") + QString::number(*port) + u';';
    s += QStringLiteral("UID=") + braced(user) + u';';
    s += QStringLiteral("PWD=") + braced(password) + u';';
    if (!database.isEmpty())
        s += QStringLiteral("DATABASE=") + braced(database) + u';';
    if (isFreeTds()) {
        s += QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;");
        if (encrypt)
            s += QStringLiteral("Encryption=require;");
    } else {
        s += encrypt ? QStringLiteral("Encrypt=yes;") : QStringLiteral("Encrypt=no;");
        if (trustServerCertificate)
            s += QStringLiteral("TrustServerCertificate=yes;");
    }
    return s;
}

OdbcTarget translateConnectionString(const QString& oledb, const QStringList& installedDrivers) {
    OdbcTarget t;
    QString provider;
    for (const auto& [rawKey, value] : parseOleDb(oledb)) {
        const QString key = rawKey.toLower().simplified();
        if (key == u"provider") {
            provider = value;
        } else if (key == u"user id" || key == u"uid" || key == u"user") {
            t.user = value;
        } else if (key == u"password" || key == u"pwd") {
            t.password = value;
        } else if (key == u"data source" || key == u"server" || key == u"address" ||
                   key == u"addr") {
            QString server = value.trimmed();
            if (qsizetype comma = server.lastIndexOf(u','); comma >= 0) {
                bool ok = false;
                const int port = server.mid(comma + 1).trimmed().toInt(&ok);
                if (!ok || port <= 0 || port > 65535)
                    throw std::runtime_error("The port in the server name \"" +
                                             value.toStdString() + "\" is not a number");
                t.port = port;
                server = server.left(comma).trimmed();
            }
            if (qsizetype slash = server.indexOf(u'\\'); slash >= 0) {
                t.instance = server.mid(slash + 1);
                server = server.left(slash);
            }
            if (server.compare(u"(local)", Qt::CaseInsensitive) == 0 || server == u".")
                server = QStringLiteral("127.0.0.1");
            t.host = server;
        } else if (key == u"initial catalog" || key == u"database") {
            t.database = value;
        } else if (key == u"connect timeout" || key == u"connection timeout" || key == u"timeout") {
            bool ok = false;
            const int seconds = value.trimmed().toInt(&ok);
            if (!ok || seconds < 0)
                throw std::runtime_error("Connect Timeout must be a number of seconds, not \"" +
                                         value.toStdString() + "\"");
            t.connectTimeout = seconds;
        } else if (key == u"use encryption for data" || key == u"encrypt") {
            t.encrypt = isTrue(value);
        } else if (key == u"trust server certificate" || key == u"trustservercertificate") {
            t.trustServerCertificate = isTrue(value);
        }
        // Persist Security Info and every other key play no part here.
    }

    const QString p = provider.trimmed().toUpper();
    if (!(p.startsWith(u"SQLOLEDB") || p.startsWith(u"SQLNCLI") || p.startsWith(u"MSOLEDBSQL")))
        throw std::runtime_error("Provider cannot be found. It may not be properly installed. (" +
                                 provider.toStdString() + ")");
    for (const QString& d : preferredSqlServerDrivers()) {
        for (const QString& installed : installedDrivers) {
            if (installed.compare(d, Qt::CaseInsensitive) == 0) {
                t.driver = installed;
                return t;
            }
        }
    }
    throw std::runtime_error("No SQL Server ODBC driver is installed: install Microsoft's ODBC "
                             "Driver 18 or 17 for SQL Server, or FreeTDS (Debian package tdsodbc)");
}

QString quoteOleDbValue(const QString& value) {
    const bool needs = value.contains(u';') || value.contains(u'=') || value.contains(u'"') ||
                       value.contains(u'\'') ||
                       (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    if (!needs)
        return value;
    // Double quotes around it, a double quote inside written twice.
    QString inner = value;
    inner.replace(u'"', QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

} // namespace kuz

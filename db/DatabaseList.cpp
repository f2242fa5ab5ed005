#include "DatabaseList.h"

#include "ConnectionString.h"

namespace kuz {

QString presetDatabasePattern(int year) {
    return QStringLiteral("KUZ_%_") + QString::number(year);
}

QString sqlLiteralText(const QString& text) {
    QString out = text;
    out.replace(u'\'', QStringLiteral("''"));
    return out;
}

QString databaseListStatement(const QString& pattern, bool showMasters) {
    const QString head =
        QStringLiteral("SELECT name,filename FROM master.dbo.sysdatabases WHERE name like '") +
        sqlLiteralText(pattern);
    return showMasters ? head + QStringLiteral("' and name NOT IN "
                                               "('master','model','msdb','tempdb') ")
                       : head + QStringLiteral("' and name NOT IN ('master','model','msdb',"
                                               "'tempdb','KUZ_MASTERV8','KUZ_MASTER',"
                                               "'KUZ_MASTERSB') ");
}

std::vector<FieldDef> databaseListFields() {
    return {{QStringLiteral("name"), FieldKind::Text, 128},
            {QStringLiteral("filename"), FieldKind::Text, 260}};
}

QString assembleConnectionString(const QString& prefix, const QString& user,
                                 const QString& password, const QString& server) {
    return prefix + QStringLiteral("User ID=") + quoteOleDbValue(user) +
           QStringLiteral(";Password=") + quoteOleDbValue(password) +
           QStringLiteral(";Data Source=") + server;
}

} // namespace kuz

#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kuz {

// What an OLE DB connection string of the program ("Provider=SQLOLEDB.1;...;User ID=...;
// Password=...;Data Source=...") asks for, in the terms of an ODBC SQL Server driver.
struct OdbcTarget {
    QString driver; // the ODBC driver's registered name
    QString host;
    QString instance;        // from "host\instance"
    std::optional<int> port; // from "host,port"
    QString user;
    QString password;
    QString database;                  // Initial Catalog
    std::optional<int> connectTimeout; // seconds; overrides the connection's own time-out
    bool encrypt = false;
    bool trustServerCertificate = false;

    bool isFreeTds() const;
    // The ODBC connection string, every value brace-quoted.
    QString connectionString() const;
    // False when a value cannot travel in a connection string to this driver (FreeTDS does not
    // unescape "}}" inside braces); the caller then passes user and password apart.
    bool fitsConnectionString() const;
};

// The SQL Server ODBC drivers, in the order of preference.
QStringList preferredSqlServerDrivers();

// Reads the OLE DB string: keys in any letter case, values plain or quoted with " or ' (the
// quote doubled inside), unknown keys and Persist Security Info ignored. The provider
// (SQLOLEDB, SQLNCLI, MSOLEDBSQL) chooses the first of the preferred drivers that is among
// installedDrivers. Throws std::runtime_error with the message the user reads.
OdbcTarget translateConnectionString(const QString& oledb, const QStringList& installedDrivers);

// Quotes a value by the OLE DB rules where it needs it (";", "=", quotes, blanks at its ends),
// so that the driver receives what was typed.
QString quoteOleDbValue(const QString& value);

} // namespace kuz

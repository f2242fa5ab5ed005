#pragma once

#include "Query.h"

#include <QString>
#include <vector>

namespace kuz {

// The database pattern the main window starts with: "KUZ_%_" and the year in four digits.
// With LIKE, "_" stands for any one character, so it matches every company database of that
// year and none of the master databases.
QString presetDatabasePattern(int year);

// The database list statement. The pattern goes into a LIKE literal with its apostrophes
// doubled, so any pattern reads as typed; master, model, msdb and tempdb are never listed, the
// three master databases only when showMasters is set. The statement ends in one blank.
QString databaseListStatement(const QString& pattern, bool showMasters);

// The database list query's declared fields: name (128 characters) and filename (260).
std::vector<FieldDef> databaseListFields();

// The start of the connection string the settings page holds at start.
inline const QString defaultConnectionPrefix =
    QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;");

// The connection string the connect command assembles: the prefix, then the user, the password
// and the server. User and password are quoted where they need it, so the driver receives
// what was typed.
QString assembleConnectionString(const QString& prefix, const QString& user,
                                 const QString& password, const QString& server);

// Text for a SQL literal: every apostrophe doubled.
QString sqlLiteralText(const QString& text);

} // namespace kuz

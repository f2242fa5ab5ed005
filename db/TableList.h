#pragma once

#include <QString>

namespace kuz {

// The tables of the current database whose names begin with the filter (which may hold the
// wildcards % and _); its apostrophes are doubled.
QString tableListStatement(const QString& filter);

// The memo line for a table: "SELECT * FROM ", the name and one blank. A name that is not a
// regular identifier (a blank, a reserved word, a leading digit...) is bracketed, "]" doubled.
QString selectAllLine(const QString& table);

bool isRegularIdentifier(const QString& name);

} // namespace kuz

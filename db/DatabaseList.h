#pragma once

#include <QString>

namespace kuz {

// The database pattern the main window starts with: "KUZ_%_" and the year in four digits.
// With LIKE, "_" stands for any one character, so it matches every company database of that
// year and none of the master databases.
QString presetDatabasePattern(int year);

} // namespace kuz

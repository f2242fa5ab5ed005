#pragma once

#include "Query.h"

#include <QString>
#include <vector>

namespace kuz {

// The fixed-asset report statements for a report year, which stands four times in each as the
// whole pattern of a LIKE test on the movement year (so "202%" and "%" work). Apostrophes in
// the year are doubled; for any other text the statements are exactly the product's.
//
// Detail: for every reported card and movement record, one row per period 1 to 4.
// Summary: the detail rows summed per card and movement year, with DONEM "0".
QString detailStatement(const QString& year);
QString summaryStatement(const QString& year);

// The report query's 21 declared fields, in the order the query declares them (DONEM before
// DMHYIL), bound to the result by name.
std::vector<FieldDef> assetReportFields();

} // namespace kuz

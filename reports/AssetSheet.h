#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <vector>

namespace kuz {

class Query;
class Spreadsheet;

// How a sheet column takes its result column.
enum class CellKind { Text, Integer, Number, Date };

struct SheetColumn {
    QString caption; // row 1
    QString field;   // the report query's field
    CellKind kind;
};

// The worksheet column map: 21 columns, DONEM before DMHYIL.
const std::vector<SheetColumn>& assetSheetColumns();

// Writes the captions into row 1 and one row per record of the open report query from row 2,
// in the query's order; the query is left at its end. Numbers go at full double precision
// from the exact decimals; a NULL text or date leaves its cell empty, a NULL number is 0.
void writeAssetSheet(Spreadsheet& sheet, Query& report);

// The workbook's file: the folder, the database's name and the suffix ("_Ozet.xlsx" or
// "_Detay.xlsx").
std::filesystem::path workbookPath(const std::filesystem::path& folder, const QString& database,
                                   const QString& suffix);

// The whole export of an open report query: open the spreadsheet, write the sheet, take the
// file name (asked only now, after the writing), save, close, quit.
void exportAssetWorkbook(Query& report, const std::function<std::filesystem::path()>& fileName);

} // namespace kuz

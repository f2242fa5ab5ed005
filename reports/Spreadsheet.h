#pragma once

#include <QDateTime>
#include <QString>
#include <filesystem>
#include <memory>

namespace kuz {

// A spreadsheet as the report export drives it, call by call in this order: a new workbook with
// its first sheet; cells; save under a name; close; quit. Rows and columns count from 1.
// Every failure throws with the text the user reads.
class Spreadsheet {
public:
    virtual ~Spreadsheet() = default;

    virtual void newWorkbook() = 0;
    virtual void writeText(int row, int column, const QString& text) = 0;
    virtual void writeInteger(int row, int column, std::int32_t value) = 0;
    virtual void writeNumber(int row, int column, double value) = 0;
    // A real date cell: the date's serial number with a date format.
    virtual void writeDate(int row, int column, const QDateTime& when) = 0;
    // Writes the workbook to the file, replacing one that is there. Nothing is left at the
    // name, not even a half-written file, when it fails.
    virtual void saveAs(const std::filesystem::path& file) = 0;
    virtual void close() = 0;
    virtual void quit() = 0;
};

// The spreadsheet over libxlsxwriter, which writes .xlsx files itself.
std::unique_ptr<Spreadsheet> openSpreadsheet();

// A date as a spreadsheet serial number: days since 30 December 1899, the time of day as the
// fraction.
double spreadsheetSerial(const QDateTime& when);

} // namespace kuz

#pragma once

#include <QString>

namespace kuz {

enum class AssetReport { Detail, Summary };

// What a report command needs of the window.
class ReportTarget {
public:
    virtual ~ReportTarget() = default;
    virtual void setScript(const QString& text) = 0; // the memo's whole text
    virtual void runBatch() = 0;
    // Sets the report query's statement, opens it and exports its rows to the workbook named
    // by the suffix, the current directory and the current database, read when saving.
    virtual void openAndExport(const QString& statement, const QString& fileSuffix) = 0;
    virtual void showGridWindow() = 0;
};

// "_Detay.xlsx" or "_Ozet.xlsx".
QString workbookSuffix(AssetReport report);

// One press of a report command. With its own workbook box checked (the batch use) it reports
// on the current database alone and shows no window; with the box clear it first runs the
// batch run over the checked databases, then reports on the current one and shows the grid.
void runReportCommand(ReportTarget& target, AssetReport report, bool ownBoxChecked,
                      const QString& year);

} // namespace kuz

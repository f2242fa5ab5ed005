#include "ReportCommand.h"

#include "AssetStatements.h"

namespace kuz {

QString workbookSuffix(AssetReport report) {
    return report == AssetReport::Detail ? QStringLiteral("_Detay.xlsx")
                                         : QStringLiteral("_Ozet.xlsx");
}

void runReportCommand(ReportTarget& target, AssetReport report, bool ownBoxChecked,
                      const QString& year) {
    const QString statement =
        report == AssetReport::Detail ? detailStatement(year) : summaryStatement(year);
    target.setScript(statement);
    if (!ownBoxChecked)
        target.runBatch();
    target.openAndExport(statement, workbookSuffix(report));
    if (!ownBoxChecked)
        target.showGridWindow();
}

} // namespace kuz

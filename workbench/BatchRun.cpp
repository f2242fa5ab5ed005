#include "BatchRun.h"

namespace kuz {

QString useStatement(const QString& database) {
    QString name = database;
    name.replace(u']', QStringLiteral("]]"));
    return QStringLiteral("USE [") + name + u']';
}

std::vector<BatchStep> batchSteps(bool detailReport, bool summaryReport, bool withScript) {
    std::vector<BatchStep> steps{BatchStep::Use};
    if (detailReport)
        steps.push_back(BatchStep::DetailReport);
    else if (withScript)
        steps.push_back(BatchStep::Script);
    if (summaryReport)
        steps.push_back(BatchStep::SummaryReport);
    return steps;
}

void runBatch(BatchTarget& target) {
    target.setBusyCursor();
    int total = 0;
    for (int i = 0; i < target.itemCount(); ++i)
        if (target.isChecked(i))
            ++total;
    int done = 0;
    for (int index = 0; index < target.itemCount(); ++index) {
        if (!target.isChecked(index))
            continue;
        const QString database = target.itemText(index);
        target.showProgress(done, total, database);
        for (const BatchStep step : batchSteps(target.detailBox(), target.summaryBox(), target.hasScript())) {
            switch (step) {
            case BatchStep::Use: target.runCommand(useStatement(database)); break;
            case BatchStep::Script: target.runCommand(target.scriptText()); break;
            case BatchStep::DetailReport: target.detailReport(); break;
            case BatchStep::SummaryReport: target.summaryReport(); break;
            }
        }
        target.setStatusText(target.currentDatabase());
        target.uncheck(index);
        ++done;
    }
    target.setDefaultCursor();
}

} // namespace kuz

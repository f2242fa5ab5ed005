#include "BatchRun.h"

namespace kuz {

QString useStatement(const QString& database) {
    QString name = database;
    name.replace(u']', QStringLiteral("]]"));
    return QStringLiteral("USE [") + name + u']';
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
        target.runCommand(useStatement(database));
        if (target.detailBox())
            target.detailReport();
        else
            target.runCommand(target.scriptText());
        if (target.summaryBox())
            target.summaryReport();
        target.setStatusText(target.currentDatabase());
        target.uncheck(index);
        ++done;
    }
    target.setDefaultCursor();
}

} // namespace kuz

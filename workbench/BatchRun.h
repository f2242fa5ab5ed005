#pragma once

#include <QString>
#include <vector>

namespace kuz {

// What the batch run needs of the window, and no more, so that it runs under test without one.
class BatchTarget {
public:
    virtual ~BatchTarget() = default;

    // The database check list; the count is read anew before every pass.
    virtual int itemCount() const = 0;
    virtual QString itemText(int index) const = 0;
    virtual bool isChecked(int index) const = 0;
    virtual void uncheck(int index) = 0;

    // The script memo's whole text, read at the moment it is needed. The window always has
    // one; a run that only writes reports has none.
    virtual bool hasScript() const { return true; }
    virtual QString scriptText() const = 0;
    // Runs a text as a command through the script query; failures throw.
    virtual void runCommand(const QString& text) = 0;

    virtual bool detailBox() const = 0;
    virtual bool summaryBox() const = 0;
    // The report commands for the current database alone: a workbook, no window.
    virtual void detailReport() = 0;
    virtual void summaryReport() = 0;

    virtual QString currentDatabase() const = 0;
    virtual void setStatusText(const QString& text) = 0;
    // Which database is being worked on and how many of the checked ones are done, shown at
    // once (the run keeps the event loop waiting until it ends).
    virtual void showProgress(int done, int total, const QString& database) = 0;
    virtual void setBusyCursor() = 0;
    virtual void setDefaultCursor() = 0;
};

// "USE " and the database name in brackets, "]" doubled, so every existing name can be
// switched to, blanks and all.
QString useStatement(const QString& database);

// What is done in each database of a batch, in this order: switch to it, then the detail report
// in place of the script when its box is checked, then the summary report when its box is. The
// window always has a script, its memo, even an empty one; a run without one leaves it out.
enum class BatchStep { Use, Script, DetailReport, SummaryReport };
std::vector<BatchStep> batchSteps(bool detailReport, bool summaryReport, bool withScript = true);

// Runs the script (or the report commands the boxes choose) once in every checked database, in
// list order. A database's mark is cleared only when all of its steps have completed; the
// first failure ends the run there, with that database and the ones after it still checked,
// so the next run resumes with it. The cursor is left busy on failure; the window's timer
// resets it.
void runBatch(BatchTarget& target);

} // namespace kuz

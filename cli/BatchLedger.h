#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace kuz {

enum class Outcome { Pending, Ok, Failed, NotReached };

// What happened in one target database.
struct DatabaseResult {
    QString database;
    Outcome outcome = Outcome::Pending;
    double seconds = 0;
    std::int64_t rowsAffected = -1; // the script's count; -1 when it reported none
    QStringList workbooks;          // files written
    QString message;                // the failure's text
};

// The one line printed for a database, its name padded to the width given.
QString resultLine(const DatabaseResult& result, qsizetype nameWidth);

// "5 databases: 3 ok, 1 failed, 1 not reached in 2.41 s".
QString summaryLine(const std::vector<DatabaseResult>& results, double seconds);

// The databases that did not complete (failed or not reached), in target order.
QStringList unfinished(const std::vector<DatabaseResult>& results);

// The command line that runs what is left, from the original one: "--from NAME" when what is
// left is the failed database and every target after it, otherwise (with --keep-going, or when
// parallel jobs completed targets after it) "--databases" with exactly the unfinished ones, so
// that no script runs twice in a database. Arguments are quoted for a POSIX shell.
QString resumeCommand(const QString& program, const QStringList& arguments,
                      const std::vector<DatabaseResult>& results);

// An argument as a POSIX shell reads it back.
QString shellQuoted(const QString& argument);

} // namespace kuz

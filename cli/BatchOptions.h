#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <stdexcept>

namespace kuz {

// A command line kuzbatch cannot act on; it ends with exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ReportChoice { None, Detail, Summary, Both };

struct BatchOptions {
    // Absent: taken from KUZUtilSQL.INI in the current directory, with the password.
    std::optional<QString> server;
    std::optional<QString> user;
    QString prefix;

    QString pattern;       // the database pattern, as the main window's box holds it
    bool masters = false;  // list the master databases too
    QStringList databases; // an explicit list, in place of the pattern

    QString scriptFile;
    ReportChoice report = ReportChoice::None;
    std::optional<QString> year; // absent: the report year of the settings file
    std::filesystem::path outputDir;

    bool keepGoing = false;
    QString from; // the first target to process; the ones before it are skipped
    int jobs = 1;
    bool dryRun = false;
    bool help = false;
};

// Reads the arguments after the program name. Throws UsageError with the text to print.
BatchOptions parseBatchOptions(const QStringList& arguments, int currentYear);

// What --help prints.
QString batchHelpText();

// Whether the run writes workbooks, and which.
inline bool writesDetail(const BatchOptions& o) {
    return o.report == ReportChoice::Detail || o.report == ReportChoice::Both;
}
inline bool writesSummary(const BatchOptions& o) {
    return o.report == ReportChoice::Summary || o.report == ReportChoice::Both;
}

} // namespace kuz

#pragma once

#include "BatchLedger.h"
#include "BatchOptions.h"

#include <QString>
#include <QStringList>
#include <cstdio>
#include <filesystem>

namespace kuz {

// Everything a run works with once the command line, the settings file and the password are
// read: the connection string, the script's text and the report year.
struct BatchWork {
    BatchOptions options;
    QString connectionString;
    QString script; // empty when the run writes reports only
    QString year;
    std::filesystem::path outputDir; // absolute
};

// Where a run writes. Result lines, the summary and the resume hint go to out; the progress
// line, when there is one, to err.
struct BatchStreams {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool progress = false;
};

// Connects, lists the targets and processes them as the options say. Returns the exit status
// (0 every target succeeded, 1 one failed); throws UsageError for a target that does not exist
// and std::runtime_error when a connection cannot be opened.
int runHeadlessBatch(const BatchWork& work, const QString& program, const QStringList& arguments,
                     const BatchStreams& streams);

// The whole command: reads the arguments after the program name and runs. Returns the exit
// status; usage and connection errors are printed to standard error and give 2.
int kuzbatchMain(const QString& program, const QStringList& arguments);

} // namespace kuz

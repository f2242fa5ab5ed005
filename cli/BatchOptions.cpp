#include "BatchOptions.h"

#include "DatabaseList.h"

#include <QCommandLineParser>

namespace kuz {

namespace {

QCommandLineOption valued(const QString& name, const QString& valueName) {
    return QCommandLineOption(name, QString(), valueName);
}

QString nonEmptyValue(const QCommandLineParser& parser, const QString& name) {
    const QString value = parser.value(name);
    if (value.isEmpty())
        throw UsageError(QStringLiteral("--%1 needs a value").arg(name).toStdString());
    return value;
}

ReportChoice reportChoice(const QString& text) {
    if (text == u"detail")
        return ReportChoice::Detail;
    if (text == u"summary")
        return ReportChoice::Summary;
    if (text == u"both")
        return ReportChoice::Both;
    throw UsageError(QStringLiteral("--report takes detail, summary or both, not \"%1\"")
                         .arg(text)
                         .toStdString());
}

} // namespace

BatchOptions parseBatchOptions(const QStringList& arguments, int currentYear) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QString valueless[] = {QStringLiteral("masters"), QStringLiteral("keep-going"),
                                 QStringLiteral("dry-run"), QStringLiteral("help")};
    for (const QString& name : valueless)
        parser.addOption(QCommandLineOption(name));
    parser.addOption(QCommandLineOption(QStringLiteral("h")));
    const char* const withValue[][2] = {
        {"server", "host"},       {"user", "login"},    {"prefix", "text"}, {"pattern", "like"},
        {"databases", "names"},   {"script", "file"},   {"report", "kind"}, {"year", "year"},
        {"output-dir", "folder"}, {"from", "database"}, {"jobs", "n"},
    };
    for (const auto& [name, valueName] : withValue)
        parser.addOption(valued(QString::fromLatin1(name), QString::fromLatin1(valueName)));

    // The parser expects the program name first.
    if (!parser.parse(QStringList{QStringLiteral("kuzbatch")} + arguments))
        throw UsageError(parser.errorText().toStdString());
    if (!parser.positionalArguments().isEmpty())
        throw UsageError(QStringLiteral("Unexpected argument \"%1\"")
                             .arg(parser.positionalArguments().first())
                             .toStdString());

    BatchOptions o;
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("h"))) {
        o.help = true;
        return o;
    }
    if (parser.isSet(QStringLiteral("server")))
        o.server = nonEmptyValue(parser, QStringLiteral("server"));
    if (parser.isSet(QStringLiteral("user")))
        o.user = nonEmptyValue(parser, QStringLiteral("user"));
    o.prefix = parser.isSet(QStringLiteral("prefix")) ? parser.value(QStringLiteral("prefix"))
                                                      : defaultConnectionPrefix;

    o.masters = parser.isSet(QStringLiteral("masters"));
    o.pattern = parser.isSet(QStringLiteral("pattern")) ? parser.value(QStringLiteral("pattern"))
                                                        : presetDatabasePattern(currentYear);
    if (parser.isSet(QStringLiteral("databases"))) {
        if (parser.isSet(QStringLiteral("pattern")) || o.masters)
            throw UsageError("--databases names the targets: it takes no --pattern or --masters");
        for (const QString& name : parser.value(QStringLiteral("databases")).split(u','))
            if (!name.trimmed().isEmpty() && !o.databases.contains(name.trimmed()))
                o.databases << name.trimmed();
        if (o.databases.isEmpty())
            throw UsageError("--databases needs at least one name");
    }

    if (parser.isSet(QStringLiteral("script")))
        o.scriptFile = nonEmptyValue(parser, QStringLiteral("script"));
    if (parser.isSet(QStringLiteral("report")))
        o.report = reportChoice(parser.value(QStringLiteral("report")));
    if (o.scriptFile.isEmpty() && o.report == ReportChoice::None)
        throw UsageError("Nothing to do: give --script FILE or --report detail|summary|both");
    if (!o.scriptFile.isEmpty() && writesDetail(o))
        throw UsageError("--script goes with --report summary only: the detail report takes the "
                         "script's place in each database");
    if (parser.isSet(QStringLiteral("year"))) {
        if (o.report == ReportChoice::None)
            throw UsageError("--year is the report year: it needs --report");
        o.year = parser.value(QStringLiteral("year"));
    }
    o.outputDir = parser.isSet(QStringLiteral("output-dir"))
                      ? std::filesystem::path(
                            nonEmptyValue(parser, QStringLiteral("output-dir")).toStdString())
                      : std::filesystem::path(".");
    if (parser.isSet(QStringLiteral("output-dir")) && o.report == ReportChoice::None)
        throw UsageError("--output-dir is where workbooks go: it needs --report");

    o.keepGoing = parser.isSet(QStringLiteral("keep-going"));
    if (parser.isSet(QStringLiteral("from")))
        o.from = nonEmptyValue(parser, QStringLiteral("from"));
    o.dryRun = parser.isSet(QStringLiteral("dry-run"));
    if (parser.isSet(QStringLiteral("jobs"))) {
        bool ok = false;
        o.jobs = parser.value(QStringLiteral("jobs")).toInt(&ok);
        if (!ok || o.jobs < 1 || o.jobs > 64)
            throw UsageError("--jobs takes a whole number from 1 to 64");
    }
    return o;
}

QString batchHelpText() {
    return QStringLiteral(
        "Usage: kuzbatch [connection] [targets] (--script FILE | --report KIND) [options]\n"
        "\n"
        "Runs a SQL script, or writes the fixed-asset workbooks, once in every target database,\n"
        "the way KUZUtilSQL's batch run does, without a window.\n"
        "\n"
        "Connection:\n"
        "  --server HOST        the server: host, host\\instance or host,port\n"
        "  --user LOGIN         the SQL Server login\n"
        "                       The password comes from the environment variable KUZ_PASSWORD,\n"
        "                       or is asked for at the terminal without echo; it is never taken\n"
        "                       from the command line. Without --server and --user, server,\n"
        "                       login and password are read from KUZUtilSQL.INI in the current\n"
        "                       directory (KUZ_PASSWORD, when set, replaces its password).\n"
        "  --prefix TEXT        the start of the connection string\n"
        "                       (default \"Provider=SQLOLEDB.1;Persist Security Info=False;\")\n"
        "\n"
        "Targets (in the order the server lists them):\n"
        "  --pattern LIKE       databases whose names match this LIKE pattern\n"
        "                       (default \"KUZ_%_\" and the current year)\n"
        "  --masters            list KUZ_MASTER, KUZ_MASTERV8 and KUZ_MASTERSB too\n"
        "  --databases A,B,C    exactly these databases, in this order\n"
        "  --from NAME          start at this target, skipping the ones before it\n"
        "\n"
        "Work:\n"
        "  --script FILE        run this script in each database (read as KUZUtilSQL reads\n"
        "                       script files: Windows-1254, UTF-8 or UTF-16)\n"
        "  --report KIND        detail, summary or both: write <database>_Detay.xlsx and/or\n"
        "                       <database>_Ozet.xlsx for each database; with --script, only\n"
        "                       summary, written after the script\n"
        "  --year YEAR          the report year, a LIKE pattern as in the program\n"
        "                       (default the report year in KUZUtilSQL.INI)\n"
        "  --output-dir FOLDER  where the workbooks go (default the current directory)\n"
        "\n"
        "Running:\n"
        "  --keep-going         go on after a failing database and report every failure at the\n"
        "                       end (by default the run stops at the first, like the program)\n"
        "  --jobs N             work on N databases at once, over N connections (default 1)\n"
        "  --dry-run            connect and list the targets, and print the statements each\n"
        "                       would be sent, without sending them\n"
        "  --help               print this text\n"
        "\n"
        "Output: one line per database (name, ok/failed/not reached, time, rows affected or\n"
        "workbooks written), then a summary line. When the run stops early it prints the\n"
        "databases not processed and the command that resumes the run.\n"
        "\n"
        "Exit status: 0 when every target succeeded, 1 when any failed or was not reached,\n"
        "2 for a usage or connection error.\n");
}

} // namespace kuz

// The headless batch command's decisions without a server: its command line, the lines it
// prints for each database and the command that resumes a run.
#include "BatchLedger.h"
#include "BatchOptions.h"

#include <gtest/gtest.h>

using namespace kuz;

namespace {

BatchOptions parse(const QStringList& args) {
    return parseBatchOptions(args, 2026);
}

DatabaseResult result(const QString& name, Outcome outcome) {
    DatabaseResult r;
    r.database = name;
    r.outcome = outcome;
    return r;
}

} // namespace

TEST(BatchOptions, DefaultsFollowTheProgram) {
    const BatchOptions o = parse({u"--script"_qs, u"a.sql"_qs});
    EXPECT_FALSE(o.server);
    EXPECT_FALSE(o.user);
    EXPECT_EQ(o.prefix, u"Provider=SQLOLEDB.1;Persist Security Info=False;"_qs);
    EXPECT_EQ(o.pattern, u"KUZ_%_2026"_qs);
    EXPECT_FALSE(o.masters);
    EXPECT_TRUE(o.databases.isEmpty());
    EXPECT_EQ(o.scriptFile, u"a.sql"_qs);
    EXPECT_EQ(o.report, ReportChoice::None);
    EXPECT_EQ(o.outputDir, std::filesystem::path("."));
    EXPECT_FALSE(o.keepGoing);
    EXPECT_EQ(o.jobs, 1);
    EXPECT_FALSE(o.dryRun);
}

TEST(BatchOptions, EveryOptionIsRead) {
    const BatchOptions o = parse({u"--server"_qs,
                                  u"db1\\SQLEXPRESS"_qs,
                                  u"--user=ops"_qs,
                                  u"--prefix"_qs,
                                  u"Provider=SQLNCLI;"_qs,
                                  u"--databases"_qs,
                                  u"KUZ_A_2026, KUZ_B_2026,,KUZ_A_2026"_qs,
                                  u"--report"_qs,
                                  u"summary"_qs,
                                  u"--script"_qs,
                                  u"s.sql"_qs,
                                  u"--year"_qs,
                                  u"202%"_qs,
                                  u"--output-dir"_qs,
                                  u"/tmp/out"_qs,
                                  u"--keep-going"_qs,
                                  u"--from"_qs,
                                  u"KUZ_B_2026"_qs,
                                  u"--jobs"_qs,
                                  u"4"_qs,
                                  u"--dry-run"_qs});
    EXPECT_EQ(o.server, u"db1\\SQLEXPRESS"_qs);
    EXPECT_EQ(o.user, u"ops"_qs);
    EXPECT_EQ(o.prefix, u"Provider=SQLNCLI;"_qs);
    EXPECT_EQ(o.databases, (QStringList{u"KUZ_A_2026"_qs, u"KUZ_B_2026"_qs}));
    EXPECT_EQ(o.report, ReportChoice::Summary);
    EXPECT_EQ(o.year, u"202%"_qs);
    EXPECT_EQ(o.outputDir, std::filesystem::path("/tmp/out"));
    EXPECT_TRUE(o.keepGoing);
    EXPECT_EQ(o.from, u"KUZ_B_2026"_qs);
    EXPECT_EQ(o.jobs, 4);
    EXPECT_TRUE(o.dryRun);
    EXPECT_TRUE(writesSummary(o));
    EXPECT_FALSE(writesDetail(o));

    EXPECT_TRUE(parse({u"--help"_qs}).help);
    EXPECT_TRUE(parse({u"-h"_qs, u"--report"_qs, u"nonsense"_qs}).help);
    EXPECT_TRUE(
        parse({u"--masters"_qs, u"--pattern"_qs, u"KUZ_%"_qs, u"--report"_qs, u"both"_qs}).masters);
}

TEST(BatchOptions, UsageErrorsSayWhatIsWrong) {
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{}, "Nothing to do: give --script FILE or --report detail|summary|both"},
        {{u"--report"_qs, u"all"_qs}, "--report takes detail, summary or both, not \"all\""},
        {{u"--script"_qs, u"a.sql"_qs, u"--report"_qs, u"detail"_qs},
         "--script goes with --report summary only: the detail report takes the script's place "
         "in each database"},
        {{u"--script"_qs, u"a.sql"_qs, u"--report"_qs, u"both"_qs},
         "--script goes with --report summary only: the detail report takes the script's place "
         "in each database"},
        {{u"--script"_qs, u"a.sql"_qs, u"--databases"_qs, u"A"_qs, u"--pattern"_qs, u"B"_qs},
         "--databases names the targets: it takes no --pattern or --masters"},
        {{u"--script"_qs, u"a.sql"_qs, u"--databases"_qs, u","_qs},
         "--databases needs at least one name"},
        {{u"--script"_qs, u"a.sql"_qs, u"--jobs"_qs, u"0"_qs},
         "--jobs takes a whole number from 1 to 64"},
        {{u"--script"_qs, u"a.sql"_qs, u"--jobs"_qs, u"two"_qs},
         "--jobs takes a whole number from 1 to 64"},
        {{u"--script"_qs, u"a.sql"_qs, u"--year"_qs, u"2026"_qs},
         "--year is the report year: it needs --report"},
        {{u"--script"_qs, u"a.sql"_qs, u"--output-dir"_qs, u"x"_qs},
         "--output-dir is where workbooks go: it needs --report"},
        {{u"--script"_qs, u""_qs}, "--script needs a value"},
        {{u"--script"_qs, u"a.sql"_qs, u"b.sql"_qs}, "Unexpected argument \"b.sql\""},
        {{u"--script"_qs, u"a.sql"_qs, u"--password"_qs, u"x"_qs}, "Unknown option 'password'."},
        {{u"--script"_qs}, "Missing value after '--script'."},
    };
    for (const auto& c : cases) {
        try {
            parse(c.args);
            ADD_FAILURE() << "accepted: " << c.args.join(u' ').toStdString();
        } catch (const UsageError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.args.join(u' ').toStdString();
        }
    }
}

TEST(BatchOptions, HelpDescribesEveryOption) {
    const QString help = batchHelpText();
    for (const char* option :
         {"--server", "--user", "KUZ_PASSWORD", "--prefix", "--pattern", "--masters", "--databases",
          "--from", "--script", "--report", "--year", "--output-dir", "--keep-going", "--jobs",
          "--dry-run", "--help", "Exit status"})
        EXPECT_TRUE(help.contains(QString::fromLatin1(option))) << option;
}

TEST(BatchLedger, LinesAndSummary) {
    DatabaseResult ok = result(u"KUZ_A_2026"_qs, Outcome::Ok);
    ok.seconds = 0.126;
    ok.rowsAffected = 3;
    EXPECT_EQ(resultLine(ok, 12), u"KUZ_A_2026    ok         0.13 s  3 rows affected"_qs);
    ok.rowsAffected = 1;
    EXPECT_EQ(resultLine(ok, 10), u"KUZ_A_2026  ok         0.13 s  1 row affected"_qs);
    ok.rowsAffected = -1;
    EXPECT_EQ(resultLine(ok, 10), u"KUZ_A_2026  ok         0.13 s"_qs);
    ok.workbooks = QStringList{u"/r/KUZ_A_2026_Detay.xlsx"_qs, u"/r/KUZ_A_2026_Ozet.xlsx"_qs};
    EXPECT_EQ(resultLine(ok, 10), u"KUZ_A_2026  ok         0.13 s  wrote /r/KUZ_A_2026_Detay.xlsx, "
                                  u"/r/KUZ_A_2026_Ozet.xlsx"_qs);

    DatabaseResult failed = result(u"KUZ_B_2026"_qs, Outcome::Failed);
    failed.seconds = 12.5;
    failed.message = u"Invalid object name 'X'.\r\n  Second line"_qs;
    EXPECT_EQ(resultLine(failed, 10),
              u"KUZ_B_2026  failed    12.50 s  Invalid object name 'X'. Second line"_qs);
    EXPECT_EQ(resultLine(result(u"C"_qs, Outcome::NotReached), 3), u"C    not reached"_qs);

    EXPECT_EQ(summaryLine({ok, failed, result(u"C"_qs, Outcome::NotReached)}, 2.414),
              u"3 databases: 1 ok, 1 failed, 1 not reached (2.41 s)"_qs);
    EXPECT_EQ(summaryLine({ok}, 0), u"1 database: 1 ok, 0 failed (0.00 s)"_qs);
}

TEST(BatchLedger, TheResumeCommandRunsExactlyWhatIsLeft) {
    const QStringList args{u"--pattern"_qs,     u"KUZ_%_2026"_qs, u"--script"_qs,
                           u"my script.sql"_qs, u"--from"_qs,     u"KUZ_A_2026"_qs};
    const auto ok = Outcome::Ok, failed = Outcome::Failed, notReached = Outcome::NotReached;
    const struct {
        std::vector<Outcome> outcomes; // of KUZ_A_2026, KUZ_B_2026, KUZ_C_2026
        QString command;
    } cases[] = {
        // Stopped at the failure: resume there, the earlier --from replaced.
        {{ok, failed, notReached},
         u"kuzbatch --pattern KUZ_%_2026 --script 'my script.sql' --from KUZ_B_2026"_qs},
        {{failed, notReached, notReached},
         u"kuzbatch --pattern KUZ_%_2026 --script 'my script.sql' --from KUZ_A_2026"_qs},
        // Kept going, or parallel jobs completed a later one: the unfinished ones only.
        {{ok, failed, ok}, u"kuzbatch --script 'my script.sql' --databases KUZ_B_2026"_qs},
        {{failed, ok, failed},
         u"kuzbatch --script 'my script.sql' --databases KUZ_A_2026,KUZ_C_2026"_qs},
        {{ok, ok, failed},
         u"kuzbatch --pattern KUZ_%_2026 --script 'my script.sql' --from KUZ_C_2026"_qs},
        {{ok, ok, ok}, QString()},
    };
    for (const auto& c : cases) {
        std::vector<DatabaseResult> results;
        const QString names[] = {u"KUZ_A_2026"_qs, u"KUZ_B_2026"_qs, u"KUZ_C_2026"_qs};
        for (size_t i = 0; i < 3; ++i)
            results.push_back(result(names[i], c.outcomes[i]));
        EXPECT_EQ(resumeCommand(u"kuzbatch"_qs, args, results), c.command);
    }
    // Every form of the replaced options goes.
    const std::vector<DatabaseResult> split{result(u"A"_qs, Outcome::Failed),
                                            result(u"B"_qs, Outcome::Ok)};
    EXPECT_EQ(resumeCommand(u"/opt/kuz/kuzbatch"_qs,
                            {u"--databases=A,B"_qs, u"--masters"_qs, u"-from=B"_qs, u"--report"_qs,
                             u"both"_qs},
                            split),
              u"/opt/kuz/kuzbatch --report both --databases A"_qs);
}

TEST(BatchLedger, ShellQuoting) {
    EXPECT_EQ(shellQuoted(u"KUZ_%_2026"_qs), u"KUZ_%_2026"_qs);
    EXPECT_EQ(shellQuoted(u"a b"_qs), u"'a b'"_qs);
    EXPECT_EQ(shellQuoted(u"it's"_qs), u"'it'\\''s'"_qs);
    EXPECT_EQ(shellQuoted(u""_qs), u"''"_qs);
    EXPECT_EQ(shellQuoted(u"KUZ_AÇIK_2026"_qs), u"'KUZ_AÇIK_2026'"_qs);
}

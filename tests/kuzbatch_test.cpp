// The kuzbatch command run as a user runs it, against the stand-in server: what it prints, what
// reaches the server, the workbooks it writes and its exit status.
#include "AssetStatements.h"
#include "BatchRun.h"
#include "Query.h"
#include "support/RawOdbc.h"
#include "support/RunProgram.h"
#include "support/StandinServer.h"

#include <gtest/gtest.h>

using namespace kuz;
using namespace kuz::test;

namespace {

const std::string script = "UPDATE DEMKART SET DMKCINSI = DMKCINSI\r\n";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        out.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return out;
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

// A result line after its database's name and the padding: "ok ...", "failed ..."; "?" when
// the line is not about that database.
std::string after(const std::string& line, const std::string& database) {
    if (!startsWith(line, database + " "))
        return "?";
    return line.substr(line.find_first_not_of(' ', database.size()));
}

class Kuzbatch : public ::testing::Test {
protected:
    Kuzbatch() {
        writeFile(folder_ / "script.sql", script);
        year_ = std::to_string(thisYear());
        for (const char* company : {"ANKARA", "BURSA", "IZMIR", "KONYA"})
            companies_.push_back(std::string("KUZ_") + company + "_" + year_);
    }

    // kuzbatch with the connection flags and the password in the environment.
    ProgramRun run(std::vector<std::string> args,
                   std::map<std::string, std::optional<std::string>> env = {}) {
        args.insert(args.begin(), {KUZBATCH_PATH, "--server", server_.address(), "--user", "sa"});
        env.emplace("KUZ_PASSWORD", StandinServer::password);
        return runProgram(args, folder_.path(), env);
    }

    // The batches the server received in company databases, as "<database>\t<text>".
    std::vector<std::string> companyBatches() const {
        std::vector<std::string> out;
        for (const std::string& b : server_.batches())
            if (startsWith(b, "KUZ_"))
                out.push_back(b);
        return out;
    }

    void sql(const std::string& text) {
        RawConnection c(server_.odbcString());
        RawStatement(c).run(text);
    }

    std::string name(size_t company) const { return companies_[company]; }

    StandinServer server_;
    TempFolder folder_;
    std::string year_;
    std::vector<std::string> companies_;
};

} // namespace

TEST_F(Kuzbatch, RunsTheScriptInEveryCompanyDatabaseInListOrder) {
    const ProgramRun r = run({"--script", "script.sql"});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 5u) << r.out;
    // The sample companies hold 5, 7, 6 and 8 asset cards.
    const char* rows[] = {"5 rows affected", "7 rows affected", "6 rows affected",
                          "8 rows affected"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(startsWith(after(out[i], name(i)), "ok ")) << out[i];
        EXPECT_TRUE(out[i].ends_with(rows[i])) << out[i];
    }
    EXPECT_TRUE(startsWith(out[4], "4 databases: 4 ok, 0 failed (")) << out[4];

    std::vector<std::string> expected;
    for (size_t i = 0; i < 4; ++i) {
        expected.push_back("master\tUSE [" + name(i) + "]\\r\\n");
        expected.push_back(name(i) + "\tUPDATE DEMKART SET DMKCINSI = DMKCINSI\\r\\n");
    }
    std::vector<std::string> sent;
    for (const std::string& b : server_.batches())
        if (b.find("USE [") != std::string::npos || b.find("UPDATE") != std::string::npos)
            sent.push_back(b);
    // Each USE after the first is sent from the database before.
    for (size_t i = 1; i < 4; ++i)
        expected[2 * i] = name(i - 1) + "\tUSE [" + name(i) + "]\\r\\n";
    EXPECT_EQ(sent, expected);
}

TEST_F(Kuzbatch, StopsAtTheFailingDatabaseAndResumesThere) {
    sql("USE [" + name(1) + "]\r\nDROP TABLE DEMKART");
    const ProgramRun stopped = run({"--script", "script.sql"});
    EXPECT_EQ(stopped.status, 1);
    const auto out = lines(stopped.out);
    ASSERT_GE(out.size(), 9u) << stopped.out;
    EXPECT_TRUE(startsWith(after(out[0], name(0)), "ok "));
    EXPECT_TRUE(startsWith(after(out[1], name(1)), "failed "));
    EXPECT_TRUE(out[1].ends_with("Invalid object name 'DEMKART'.")) << out[1];
    EXPECT_EQ(after(out[2], name(2)), "not reached");
    EXPECT_EQ(after(out[3], name(3)), "not reached");
    EXPECT_TRUE(startsWith(out[4], "4 databases: 1 ok, 1 failed, 2 not reached ("));
    EXPECT_EQ(out[5], "Failed:");
    EXPECT_EQ(out[6], "  " + name(1) + ": Invalid object name 'DEMKART'.");
    EXPECT_EQ(out[7], "Not processed: " + name(1) + ", " + name(2) + ", " + name(3));
    const std::string resume = std::string("Resume with: ") + KUZBATCH_PATH + " --server " +
                               server_.address() + " --user sa --script script.sql --from " +
                               name(1);
    EXPECT_EQ(out[8], resume);
    for (const std::string& b : companyBatches())
        EXPECT_FALSE(startsWith(b, name(2)) || startsWith(b, name(3))) << b;

    // Mended, the resume command goes on with the failed database and never repeats the first.
    sql("USE [" + name(1) +
        "]\r\nCREATE TABLE DEMKART (DMKKOD nvarchar(40), DMKCINSI nvarchar(80))");
    const size_t before = companyBatches().size();
    const ProgramRun resumed = run({"--script", "script.sql", "--from", name(1)});
    EXPECT_EQ(resumed.status, 0) << resumed.out;
    const auto again = lines(resumed.out);
    ASSERT_EQ(again.size(), 4u) << resumed.out;
    EXPECT_TRUE(startsWith(after(again[0], name(1)), "ok ")) << again[0];
    EXPECT_TRUE(again[0].ends_with("0 rows affected")) << again[0];
    EXPECT_TRUE(startsWith(again[3], "3 databases: 3 ok, 0 failed ("));
    const auto batches = companyBatches();
    for (size_t i = before; i < batches.size(); ++i)
        EXPECT_FALSE(startsWith(batches[i], name(0))) << batches[i];
}

TEST_F(Kuzbatch, KeepGoingReportsEveryFailureAtTheEnd) {
    sql("USE [" + name(1) + "]\r\nDROP TABLE DEMKART");
    sql("USE [" + name(3) + "]\r\nDROP TABLE DEMKART");
    const ProgramRun r = run({"--script", "script.sql", "--keep-going"});
    EXPECT_EQ(r.status, 1);
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 10u) << r.out;
    EXPECT_TRUE(startsWith(after(out[2], name(2)), "ok ")) << out[2];
    EXPECT_TRUE(startsWith(after(out[3], name(3)), "failed ")) << out[3];
    EXPECT_TRUE(startsWith(out[4], "4 databases: 2 ok, 2 failed (")) << out[4];
    EXPECT_EQ(out[6], "  " + name(1) + ": Invalid object name 'DEMKART'.");
    EXPECT_EQ(out[7], "  " + name(3) + ": Invalid object name 'DEMKART'.");
    EXPECT_EQ(out[8], "Not processed: " + name(1) + ", " + name(3));
    EXPECT_TRUE(
        out[9].ends_with("--script script.sql --keep-going --databases " + name(1) + "," + name(3)))
        << out[9];
}

TEST_F(Kuzbatch, ParallelJobsKeepTheOutputInTargetOrder) {
    writeFile(folder_ / "wait.sql", "WAITFOR DELAY '00:00:00.050'\r\n" + script);
    const ProgramRun r = run({"--script", "wait.sql", "--jobs", "3", "--pattern", "KUZ_%"});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 9u) << r.out;
    std::vector<std::string> names;
    for (size_t i = 0; i < 8; ++i)
        names.push_back(out[i].substr(0, out[i].find(' ')));
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(names, sorted); // the server lists them by name
    EXPECT_TRUE(startsWith(out[8], "8 databases: 8 ok, 0 failed ("));
    // Every database got its own USE and the script, each exactly once.
    size_t updates = 0;
    for (const std::string& b : companyBatches())
        if (b.find("UPDATE DEMKART") != std::string::npos)
            ++updates;
    EXPECT_EQ(updates, 8u);
}

TEST_F(Kuzbatch, ADryRunPrintsWhatWouldBeSentAndSendsNothing) {
    const ProgramRun r = run({"--script", "script.sql", "--databases", name(2) + "," + name(0)});
    ASSERT_EQ(r.status, 0);
    const size_t sentBefore = server_.batches().size();

    const ProgramRun dry =
        run({"--script", "script.sql", "--dry-run", "--databases", name(2) + "," + name(0)});
    EXPECT_EQ(dry.status, 0) << dry.err;
    std::string expected;
    for (size_t i : {2, 0})
        expected += "-- " + name(i) + "\n" +
                    batchText(useStatement(QString::fromStdString(name(i)))).toStdString() +
                    "GO\n" + script + "GO\n";
    expected += "2 databases, nothing sent (dry run)\n";
    EXPECT_EQ(dry.out, expected);
    // Only the database list was asked for.
    const auto after = server_.batches();
    ASSERT_EQ(after.size(), sentBefore + 1);
    EXPECT_NE(after.back().find("sysdatabases"), std::string::npos);

    const ProgramRun reports =
        run({"--report", "both", "--year", "20'26", "--dry-run", "--databases", name(0)});
    EXPECT_EQ(reports.out,
              "-- " + name(0) + "\n" +
                  batchText(useStatement(QString::fromStdString(name(0)))).toStdString() + "GO\n" +
                  batchText(detailStatement(u"20'26"_qs)).toStdString() + "GO\n" +
                  batchText(summaryStatement(u"20'26"_qs)).toStdString() +
                  "GO\n1 database, nothing sent (dry run)\n");
}

TEST_F(Kuzbatch, ReportBothWritesTwoWorkbooksPerDatabase) {
    std::filesystem::create_directory(folder_ / "out");
    const ProgramRun r =
        run({"--report", "both", "--year", year_, "--output-dir", "out", "--jobs", "2"});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 5u) << r.out;
    const std::filesystem::path dir = std::filesystem::canonical(folder_ / "out");
    for (size_t i = 0; i < 4; ++i) {
        const auto detail = dir / (name(i) + "_Detay.xlsx");
        const auto summary = dir / (name(i) + "_Ozet.xlsx");
        EXPECT_TRUE(out[i].ends_with("wrote " + detail.string() + ", " + summary.string()))
            << out[i];
        EXPECT_TRUE(std::filesystem::is_regular_file(detail));
        EXPECT_TRUE(std::filesystem::is_regular_file(summary));
    }
    // The workbook holds the captions and the report's rows.
    const std::string cells =
        commandOutput("/usr/bin/python3 '" KUZ_TESTS_DIR "/support/read_xlsx.py' '" +
                      (dir / (name(0) + "_Detay.xlsx")).string() + "'");
    EXPECT_NE(cells.find("1\t1\ttext\tKOD\t"), std::string::npos) << cells;
    EXPECT_NE(cells.find("1\t21\ttext\t"), std::string::npos);
    EXPECT_NE(cells.find("2\t1\ttext\t"), std::string::npos);
    // Nothing else was written, and the current directory got nothing.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 8);
    EXPECT_FALSE(std::filesystem::exists(folder_ / (name(0) + "_Detay.xlsx")));
}

TEST_F(Kuzbatch, ConnectionAndUsageErrorsExitWithTwo) {
    const struct {
        std::vector<std::string> args;
        std::map<std::string, std::optional<std::string>> env;
        std::string message;
    } cases[] = {
        {{"--script", "script.sql"},
         {{"KUZ_PASSWORD", "wrong"}},
         "kuzbatch: Login failed for user 'sa'.\n"},
        {{"--script", "script.sql"},
         {{"KUZ_PASSWORD", std::nullopt}},
         "kuzbatch: No password: set KUZ_PASSWORD, or run kuzbatch at a terminal\n"},
        {{"--script", "missing.sql"}, {}, "kuzbatch: Cannot open file missing.sql\n"},
        {{"--script", "script.sql", "--databases", name(0) + ",KUZ_YOK_2026"},
         {},
         "kuzbatch: There is no database \"KUZ_YOK_2026\" to work on\n"},
        {{"--script", "script.sql", "--from", "KUZ_YOK_2026"},
         {},
         "kuzbatch: --from KUZ_YOK_2026: no such database among the targets\n"},
        {{"--report", "detail", "--output-dir", "nowhere"},
         {},
         "kuzbatch: --output-dir nowhere is not a folder\n"},
        {{"--jobs", "2"},
         {},
         "kuzbatch: Nothing to do: give --script FILE or --report detail|summary|both\n"},
    };
    for (const auto& c : cases) {
        const ProgramRun r = run(c.args, c.env);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(companyBatches().empty());

    const ProgramRun help = runProgram({KUZBATCH_PATH, "--help"}, folder_.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--keep-going"), std::string::npos);
}

TEST_F(Kuzbatch, WithoutFlagsTheSettingsFileConnects) {
    const ProgramRun none = runProgram({KUZBATCH_PATH, "--script", "script.sql"}, folder_.path(),
                                       {{"KUZ_PASSWORD", std::nullopt}});
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(startsWith(none.err, "kuzbatch: No --server and --user, and no KUZUtilSQL.INI in "))
        << none.err;

    writeFile(folder_ / "KUZUtilSQL.INI", "[MSSQL]\r\nSunucu=" + server_.address() +
                                              "\r\nKullanici=sa\r\nParola=" +
                                              StandinServer::password + "\r\nNO=" + year_ + "\r\n");
    const ProgramRun r = runProgram({KUZBATCH_PATH, "--report", "summary", "--databases", name(0)},
                                    folder_.path(), {{"KUZ_PASSWORD", std::nullopt}});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(folder_ / (name(0) + "_Ozet.xlsx"))) << r.out;
    // The report year came from the settings file.
    bool sentSummary = false;
    for (const std::string& b : companyBatches())
        sentSummary = sentSummary || b.find("LIKE '" + year_ + "'") != std::string::npos;
    EXPECT_TRUE(sentSummary);

    // The environment's password replaces the file's.
    const ProgramRun wrong = runProgram({KUZBATCH_PATH, "--script", "script.sql"}, folder_.path(),
                                        {{"KUZ_PASSWORD", "wrong"}});
    EXPECT_EQ(wrong.status, 2) << wrong.out;
}

// The stand-in server through FreeTDS's own clients: its ODBC driver and tsql.
#include "support/RawOdbc.h"
#include "support/StandinServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace kuz::test;

namespace {

const std::string company = "KUZ_ANKARA_" + std::to_string(thisYear());

class Standin : public WithSharedStandin<testing::Test> {
protected:
    std::vector<RawResult> run(RawConnection& c, const std::string& sql) {
        RawStatement s(c);
        return s.run(sql);
    }
};

std::vector<std::string> column(const RawResult& r, size_t i) {
    std::vector<std::string> out;
    for (const auto& row : r.rows)
        out.push_back(row[i]);
    return out;
}

std::string shell(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, p))
        out.append(buffer, n);
    pclose(p);
    return out;
}

} // namespace

TEST_F(Standin, LoginIsCheckedAndStartsInMaster) {
    RawConnection c(server().odbcString());
    EXPECT_EQ(c.currentCatalog(), "master");
    try {
        RawConnection refused(server().odbcString("wrong"));
        FAIL() << "a wrong password was accepted";
    } catch (const OdbcFailure& e) {
        EXPECT_NE(std::string(e.what()).find("Login failed for user 'sa'."), std::string::npos)
            << e.what();
    }
    EXPECT_NE(server().log().find("LOGIN sa refused"), std::string::npos);
}

TEST_F(Standin, TsqlLogsInAndIsRefusedWithTheServersMessage) {
    const std::string base =
        "printf '%s\\n' \"select name from sys.tables where name like N'DEM%'\" "
        "go exit | "
        "TDSVER=7.4 timeout 20 tsql -H 127.0.0.1 -p " +
        std::to_string(server().port()) + " -U sa -D " + company + " -P ";
    std::string ok = shell(base + "'Kuz.2026!' 2>&1");
    EXPECT_NE(ok.find("DEMHAR"), std::string::npos) << ok;
    EXPECT_NE(ok.find("DEMKART"), std::string::npos) << ok;
    std::string refused = shell(base + "nope 2>&1");
    EXPECT_NE(refused.find("Login failed for user 'sa'."), std::string::npos) << refused;
}

TEST_F(Standin, UseSwitchesTheCurrentDatabaseAndRefusesAMissingOne) {
    RawConnection c(server().odbcString());
    run(c, "USE " + company);
    EXPECT_EQ(c.currentCatalog(), company);
    run(c, "USE [KUZ_MASTER]");
    EXPECT_EQ(c.currentCatalog(), "KUZ_MASTER");
    // The switch also follows USE inside a longer batch.
    run(c, "SELECT 1\r\nUSE " + company + "\r\nSELECT DB_NAME()");
    EXPECT_EQ(c.currentCatalog(), company);
    try {
        run(c, "USE KUZ_YOK_1999");
        FAIL();
    } catch (const OdbcFailure& e) {
        EXPECT_EQ(e.nativeError, 911);
        EXPECT_NE(std::string(e.what()).find("Database 'KUZ_YOK_1999' does not exist. Make sure "
                                             "that the name is entered correctly."),
                  std::string::npos);
    }
    EXPECT_EQ(c.currentCatalog(), company);
}

TEST_F(Standin, CataloguesListDatabasesAndTables) {
    RawConnection c(server().odbcString());
    auto dbs = run(c, "SELECT name,filename FROM master.dbo.sysdatabases WHERE name like '%' ");
    ASSERT_EQ(dbs.size(), 1u);
    std::vector<std::string> names = column(dbs[0], 0);
    for (const char* n :
         {"master", "model", "msdb", "tempdb", "KUZ_MASTER", "KUZ_MASTERV8", "KUZ_MASTERSB"})
        EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
    EXPECT_EQ(dbs[0].names, (std::vector<std::string>{"name", "filename"}));
    auto pattern = run(c, "SELECT name FROM master.dbo.sysdatabases WHERE name like 'KUZ_%_" +
                              std::to_string(thisYear()) + "'");
    EXPECT_EQ(pattern[0].rows.size(), 4u);

    run(c, "USE " + company);
    auto tables = run(c, "select name from sys.tables Where name Like '%HAR%'");
    std::vector<std::string> t = column(tables[0], 0);
    std::sort(t.begin(), t.end());
    EXPECT_EQ(t, (std::vector<std::string>{"DEMHAR", "MUHHAR"}));
}

TEST_F(Standin, TheStandardCatalogueViewsGiveATablesPrimaryKey) {
    RawConnection c(server().odbcString());
    run(c, "USE " + company);
    auto key =
        run(c, "SELECT KCU.COLUMN_NAME FROM INFORMATION_SCHEMA.TABLE_CONSTRAINTS TC "
               "JOIN INFORMATION_SCHEMA.KEY_COLUMN_USAGE KCU "
               "ON KCU.CONSTRAINT_NAME = TC.CONSTRAINT_NAME AND KCU.TABLE_NAME = TC.TABLE_NAME "
               "WHERE TC.CONSTRAINT_TYPE = 'PRIMARY KEY' AND TC.TABLE_NAME = 'SABITLER' "
               "ORDER BY KCU.ORDINAL_POSITION");
    EXPECT_EQ(column(key[0], 0), (std::vector<std::string>{"SABITMODUL", "SABITKONU"}));
    auto columns = run(c, "SELECT COLUMN_NAME, DATA_TYPE FROM INFORMATION_SCHEMA.COLUMNS "
                          "WHERE TABLE_NAME = 'MUHHAR' AND COLUMN_NAME = 'MUHHARTUTAR'");
    EXPECT_EQ(columns[0].rows, (std::vector<std::vector<std::string>>{{"MUHHARTUTAR", "decimal"}}));
}

TEST_F(Standin, ABatchCarriesSeveralStatementsAndResults) {
    RawConnection c(server().odbcString());
    run(c, "CREATE DATABASE KUZ_BATCH_1; USE KUZ_BATCH_1");
    auto r = run(c, "CREATE TABLE T (A int, B nvarchar(10))\r\n"
                    "INSERT INTO T VALUES (1, N'bir'), (2, N'iki')\r\n"
                    "UPDATE T SET B = N'değişti' WHERE A = 2\r\n"
                    "SELECT A, B FROM T ORDER BY A");
    // CREATE TABLE reports no row count, so ODBC shows no result for it.
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].rowCount, 2);
    EXPECT_EQ(r[1].rowCount, 1);
    EXPECT_EQ(r[2].rows, (std::vector<std::vector<std::string>>{{"1", "bir"}, {"2", "değişti"}}));
    auto top = run(c, "SELECT TOP 1 [A] FROM [dbo].[T] ORDER BY A DESC");
    EXPECT_EQ(top[0].rows, (std::vector<std::vector<std::string>>{{"2"}}));
    run(c, "USE master; DROP DATABASE KUZ_BATCH_1");
}

TEST_F(Standin, ErrorsCarrySqlServersNumbersAndTexts) {
    RawConnection c(server().odbcString());
    run(c, "USE " + company);
    const struct {
        const char* sql;
        long number;
        const char* text;
    } cases[] = {
        {"SELECT * FROM YOKTABLO", 208, "Invalid object name 'YOKTABLO'."},
        {"SELECT YOKKOLON FROM DEMKART", 207, "Invalid column name 'YOKKOLON'."},
        {"SELECT * FROM DEMKART WHERE", 102, "Incorrect syntax near 'WHERE'."},
        {"SELECT * FRM DEMKART", 102, "Incorrect syntax near"},
        {"SELECT 1\r\nGO\r\nSELECT 2\r\n", 102, "Incorrect syntax near 'GO'."},
        {"SELECT * FROM MUHHAR WHERE MUHHARREFNO='20'24'", 105, "Unclosed quotation mark"},
        {"INSERT INTO DEMKART (DMKKOD) VALUES (N'DMB-100')", 2627, "Violation of PRIMARY KEY"},
    };
    for (const auto& k : cases) {
        try {
            run(c, k.sql);
            ADD_FAILURE() << "no error for " << k.sql;
        } catch (const OdbcFailure& e) {
            EXPECT_EQ(e.nativeError, k.number) << k.sql;
            EXPECT_NE(std::string(e.what()).find(k.text), std::string::npos) << e.what();
        }
    }
}

TEST_F(Standin, ASyntaxErrorStopsTheWholeBatchBeforeItRuns) {
    RawConnection c(server().odbcString());
    run(c, "USE " + company);
    EXPECT_THROW(run(c, "UPDATE SABITLER SET SABITDEGER = N'x'\r\nSELECT * FROM WHERE"),
                 OdbcFailure);
    auto r = run(c, "SELECT COUNT(*) FROM SABITLER WHERE SABITDEGER = N'x'");
    EXPECT_EQ(r[0].rows[0][0], "0");
}

TEST_F(Standin, DecimalsKeepTheirDigitsAndTypesFollowTheColumns) {
    RawConnection c(server().odbcString());
    run(c, "CREATE DATABASE KUZ_TYPES_1");
    run(c, "USE KUZ_TYPES_1");
    run(c, "CREATE TABLE V (K nvarchar(40), D decimal(28,9), F float, I int, B bigint, "
           "T datetime, X bit)");
    run(c, "INSERT INTO V VALUES (N'Çığ öğüş İı', 1234567.891, 0.1, 7, 9000000000, "
           "'2021-03-15 10:20:30.500', 1)");
    run(c, "INSERT INTO V VALUES (N'küçük', 0.000000001, NULL, NULL, NULL, NULL, NULL)");
    run(c, "INSERT INTO V VALUES (NULL, -98765432109.123, -2.5, -1, -1, '1899-12-30', 0)");
    auto r = run(c, "SELECT K, D, F, I, B, T, X FROM V");
    ASSERT_EQ(r[0].rows.size(), 3u);
    EXPECT_EQ(r[0].types,
              (std::vector<SQLSMALLINT>{SQL_WVARCHAR, SQL_NUMERIC, SQL_DOUBLE, SQL_INTEGER,
                                        SQL_BIGINT, SQL_TYPE_TIMESTAMP, SQL_BIT}));
    EXPECT_EQ(r[0].sizes[1], 28u);
    EXPECT_EQ(r[0].scales[1], 9);
    EXPECT_DOUBLE_EQ(std::stod(r[0].rows[0][2]), 0.1);
    r[0].rows[0][2] = "0.1";
    EXPECT_EQ(r[0].rows[0],
              (std::vector<std::string>{"Çığ öğüş İı", "1234567.891000000", "0.1", "7",
                                        "9000000000", "2021-03-15 10:20:30.500", "1"}));
    EXPECT_EQ(r[0].rows[1], (std::vector<std::string>{"küçük", "0.000000001", "<null>", "<null>",
                                                      "<null>", "<null>", "<null>"}));
    EXPECT_EQ(r[0].rows[2][0], "<null>");
    EXPECT_EQ(r[0].rows[2][1], "-98765432109.123000000");

    // Columns of a union or an expression take the widest type of their rows; one named like
    // a decimal column of the database stays a decimal.
    auto u = run(c, "SELECT 0 AS D, 1 AS N, 'a' AS S FROM V UNION SELECT D, 2.5, 'bb' FROM V");
    EXPECT_EQ(u[0].types, (std::vector<SQLSMALLINT>{SQL_NUMERIC, SQL_DOUBLE, SQL_WVARCHAR}));
    auto sums = run(c, "SELECT SUM(D) AS D, COUNT(*) AS C FROM V");
    EXPECT_EQ(sums[0].types, (std::vector<SQLSMALLINT>{SQL_NUMERIC, SQL_INTEGER}));
    EXPECT_EQ(sums[0].rows[0][0], "-98764197541.232000000");
    run(c, "USE master; DROP DATABASE KUZ_TYPES_1");
}

TEST_F(Standin, AQueryTimeOutCancelsAndTheConnectionGoesOn) {
    RawConnection c(server().odbcString());
    RawStatement s(c);
    SQLSetStmtAttr(s.handle(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(1), 0);
    const auto start = std::chrono::steady_clock::now();
    try {
        s.run("WAITFOR DELAY '00:00:10'");
        FAIL() << "the wait was not cancelled";
    } catch (const OdbcFailure& e) {
        EXPECT_EQ(e.sqlState, "HYT00") << e.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(run(c, "SELECT 42")[0].rows[0][0], "42");
}

TEST(StandinSilent, AConnectionThatIsNeverAnsweredTimesOut) {
    StandinServer silent({"--silent"});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(RawConnection(silent.odbcString(), 1), OdbcFailure);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

TEST_F(Standin, MalformedPacketsEndOnlyThatConnection) {
    auto sendRaw = [](int port, const std::string& bytes) {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        ::shutdown(fd, SHUT_WR); // a packet cut short ends with the connection
        char buffer[256];
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0); // the server closes: 0
        ::close(fd);
        return n;
    };
    // A header whose length is shorter than a header, a packet cut short, a login record
    // with its fields pointing outside it, and plain text.
    EXPECT_EQ(sendRaw(server().port(), std::string("\x12\x01\x00\x03\x00\x00\x01\x00", 8)), 0);
    EXPECT_EQ(sendRaw(server().port(), std::string("\x12\x01\x01\x00\x00\x00\x01\x00xyz", 11)), 0);
    std::string login(8 + 94, '\0');
    login[0] = 0x10;
    login[1] = 0x01;
    login[3] = static_cast<char>(login.size());
    login[8 + 40] = static_cast<char>(0xF0); // user name offset far beyond the record
    login[8 + 42] = 10;
    EXPECT_EQ(sendRaw(server().port(), login), 0);
    EXPECT_EQ(sendRaw(server().port(), "GET / HTTP/1.0\r\n\r\n"), 0);
    RawConnection c(server().odbcString());
    EXPECT_EQ(run(c, "SELECT 1")[0].rows[0][0], "1");
}

TEST_F(Standin, TheLogShowsEachBatchWithItsDatabaseInOrder) {
    RawConnection c(server().odbcString());
    const size_t before = server().batches().size();
    run(c, "USE " + company);
    run(c, "SELECT 1\r\nSELECT 2");
    std::vector<std::string> b = server().batches();
    ASSERT_EQ(b.size(), before + 2);
    EXPECT_EQ(b[before], "master\tUSE " + company);
    EXPECT_EQ(b[before + 1], company + "\tSELECT 1\\r\\nSELECT 2");
}

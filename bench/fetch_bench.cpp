// Fetching a large result through the data layer against a bare ODBC loop that reads the same
// rows cell by cell into C variables and keeps nothing. Prints the time ratio (target at most
// 1.3) and the resident memory of the fetched rows against their raw size (target at most 2).
#include "Connection.h"
#include "Query.h"
#include "support/RawOdbc.h"
#include "support/StandinServer.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <unistd.h>

using namespace kuz;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int side = 1000; // side × side rows

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

const char* const statement = "SELECT T.* FROM T, N";

std::string createTables() {
    std::string sql = "CREATE TABLE N (K int)\r\n"
                      "CREATE TABLE T (DMKKOD nvarchar(40), DMKCINSI nvarchar(80), "
                      "DMKAMORTYUZDE decimal(28,9), DMKGIRTARIH datetime, DMKGIRTUTAR "
                      "decimal(28,9), DMKAMORTSURE int, DMKAMORTBITIS int, DMHYIL int, "
                      "DONEM nvarchar(5)";
    for (int c = 1; c <= 10; ++c)
        sql += ", V" + std::to_string(c) + " decimal(28,9)";
    sql += ", TOPBIRAMORT float, TOPAKTIFDEGER float)\r\n";
    for (int r = 0; r < side; ++r) {
        sql += "INSERT INTO N VALUES (" + std::to_string(r) + ")\r\n";
        sql += "INSERT INTO T VALUES (N'DMB-" + std::to_string(100 + r) + "', N'Bilgisayar ve " +
               "çevre birimi', 20.000000000, '2023-0" + std::to_string(1 + r % 9) +
               "-15 00:00:00', " + std::to_string(15000 + r) + ".125000000, 5, 2028, 2024, N'" +
               std::to_string(1 + r % 4) + "'";
        for (int c = 1; c <= 10; ++c)
            sql += ", " + std::to_string(r * 37 + c) + ".123456789";
        sql += ", " + std::to_string(r) + ".25, " + std::to_string(r * 3) + ".5)\r\n";
    }
    return sql;
}

struct BareFigures {
    double seconds = 0;
    long long rawBytes = 0;
    long long rows = 0;
};

BareFigures bareLoop(test::RawConnection& c) {
    const auto start = Clock::now();
    SQLHSTMT stmt = nullptr;
    SQLAllocHandle(SQL_HANDLE_STMT, c.handle(), &stmt);
    SQLExecDirectA(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(statement)), SQL_NTS);
    SQLSMALLINT count = 0;
    SQLNumResultCols(stmt, &count);
    std::vector<SQLSMALLINT> types(static_cast<size_t>(count));
    for (SQLSMALLINT i = 0; i < count; ++i) {
        SQLCHAR name[128];
        SQLSMALLINT nameLength, scale, nullable;
        SQLULEN size;
        SQLDescribeColA(stmt, static_cast<SQLUSMALLINT>(i + 1), name, sizeof name, &nameLength,
                        &types[static_cast<size_t>(i)], &size, &scale, &nullable);
    }
    BareFigures f;
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
        for (SQLSMALLINT i = 0; i < count; ++i) {
            const auto n = static_cast<SQLUSMALLINT>(i + 1);
            SQLLEN indicator = 0;
            switch (types[static_cast<size_t>(i)]) {
            case SQL_INTEGER: {
                SQLINTEGER v;
                SQLGetData(stmt, n, SQL_C_SLONG, &v, 0, &indicator);
                f.rawBytes += 4;
                break;
            }
            case SQL_FLOAT:
            case SQL_DOUBLE: {
                double v;
                SQLGetData(stmt, n, SQL_C_DOUBLE, &v, 0, &indicator);
                f.rawBytes += 8;
                break;
            }
            case SQL_TYPE_TIMESTAMP: {
                SQL_TIMESTAMP_STRUCT v;
                SQLGetData(stmt, n, SQL_C_TYPE_TIMESTAMP, &v, sizeof v, &indicator);
                f.rawBytes += 8;
                break;
            }
            case SQL_DECIMAL:
            case SQL_NUMERIC: {
                char v[64];
                SQLGetData(stmt, n, SQL_C_CHAR, v, sizeof v, &indicator);
                f.rawBytes += 13; // a decimal of precision 28 on the wire
                break;
            }
            default: {
                char16_t v[2048];
                SQLGetData(stmt, n, SQL_C_WCHAR, v, sizeof v, &indicator);
                f.rawBytes += indicator > 0 ? indicator : 0;
            }
            }
        }
        ++f.rows;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    f.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return f;
}

} // namespace

int main() {
    test::StandinServer server;
    const std::string odbc = server.odbcString();
    {
        test::RawConnection c(odbc);
        test::RawStatement(c).run("CREATE DATABASE KUZ_BENCH_1");
        test::RawStatement(c).run("USE KUZ_BENCH_1\r\n" + createTables());
    }
    Connection connection;
    connection.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Password=") +
                                   QString::fromLatin1(test::StandinServer::password) +
                                   QStringLiteral(";Initial Catalog=KUZ_BENCH_1;Data Source=") +
                                   QString::fromStdString(server.address()));
    connection.open();
    test::RawConnection raw(odbc + "DATABASE=KUZ_BENCH_1;");

    double ours = 1e9, bare = 1e9;
    long long rawBytes = 0, rows = 0;
    long resident = 0;
    for (int round = 0; round < 2; ++round) {
        const BareFigures b = bareLoop(raw);
        bare = std::min(bare, b.seconds);
        rawBytes = b.rawBytes;
        rows = b.rows;

        Query q(connection, QStringLiteral("ADOQuery11"));
        q.setSql(QString::fromLatin1(statement));
        const long before = residentBytes();
        const auto start = Clock::now();
        q.open();
        ours = std::min(ours, std::chrono::duration<double>(Clock::now() - start).count());
        if (round == 0)
            resident = residentBytes() - before;
        if (q.recordCount() != rows || q.fieldCount() != 21) {
            std::fprintf(stderr, "unexpected result: %lld rows, %d fields\n",
                         static_cast<long long>(q.recordCount()), q.fieldCount());
            return 1;
        }
    }
    std::printf("fetch %lld rows x 21 columns\n", rows);
    std::printf("  bare ODBC loop   %.2f s\n", bare);
    std::printf("  data layer open  %.2f s\n", ours);
    std::printf("  time ratio       %.2f (target <= 1.3)\n", ours / bare);
    std::printf("  raw size         %.1f MiB\n", static_cast<double>(rawBytes) / 1048576.0);
    std::printf("  resident growth  %.1f MiB\n", static_cast<double>(resident) / 1048576.0);
    std::printf("  memory ratio     %.2f (target <= 2)\n",
                static_cast<double>(resident) / static_cast<double>(rawBytes));
    return 0;
}

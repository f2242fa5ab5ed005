// The data layer's connection against the stand-in, through FreeTDS.
#include "Connection.h"
#include "DbError.h"
#include "Odbc.h"
#include "support/StandinServer.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace kuz;
using kuz::test::StandinServer;

namespace {

QString oledb(const StandinServer& server, const QString& password,
              const QString& extra = QString()) {
    return QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;") + extra +
           QStringLiteral("User ID=sa;Password=") + password + QStringLiteral(";Data Source=") +
           QString::fromStdString(server.address());
}

} // namespace

TEST(Connection, OpensOnceRunsTheAfterConnectStepAndCloses) {
    StandinServer server;
    Connection c;
    int connected = 0;
    QString seen;
    c.setAfterConnect([&] {
        ++connected;
        seen = c.currentDatabase();
    });
    c.setConnectionString(oledb(server, QString::fromLatin1(StandinServer::password)));
    c.open();
    c.open(); // already open: nothing happens
    EXPECT_TRUE(c.isOpen());
    EXPECT_EQ(connected, 1);
    EXPECT_EQ(seen, QStringLiteral("master"));
    c.close();
    EXPECT_FALSE(c.isOpen());
    EXPECT_EQ(c.currentDatabase(), QString());
    c.open();
    EXPECT_EQ(connected, 2);
}

TEST(Connection, ARefusedLoginShowsTheServersTextWithoutDriverPrefixes) {
    StandinServer server;
    Connection c;
    c.setConnectionString(oledb(server, QStringLiteral("wrong")));
    try {
        c.open();
        FAIL() << "the login was accepted";
    } catch (const DbError& e) {
        EXPECT_EQ(std::string(e.what()), "Login failed for user 'sa'.");
        EXPECT_EQ(e.nativeError, 18456);
    }
    EXPECT_FALSE(c.isOpen());
}

TEST(Connection, AServerThatNeverAnswersFailsWithinTheTimeOut) {
    StandinServer silent({"--silent"});
    Connection c;
    c.setConnectionString(oledb(silent, QStringLiteral("x")));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(c.open(), DbError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    // Connect Timeout in the string overrides the connection's own second.
    c.setConnectionString(oledb(silent, QStringLiteral("x"), QStringLiteral("Connect Timeout=3;")));
    const auto second = std::chrono::steady_clock::now();
    EXPECT_THROW(c.open(), DbError);
    EXPECT_GE(std::chrono::steady_clock::now() - second, std::chrono::milliseconds(2500));
}

TEST(Connection, DriverPrefixesAreRemoved) {
    EXPECT_EQ(
        withoutDriverPrefixes(QStringLiteral("[FreeTDS][SQL Server]Invalid object name 'X'.")),
        QStringLiteral("Invalid object name 'X'."));
    EXPECT_EQ(withoutDriverPrefixes(QStringLiteral("[unixODBC][Driver Manager]Data source name not "
                                                   "found")),
              QStringLiteral("Data source name not found"));
    EXPECT_EQ(withoutDriverPrefixes(QStringLiteral("plain [text]")),
              QStringLiteral("plain [text]"));
}

// The OLE DB connection string of the program read as an ODBC driver's.
#include "ConnectionString.h"
#include "support/RawOdbc.h"
#include "support/StandinServer.h"

#include <gtest/gtest.h>

using namespace kuz;

namespace {

const QStringList onlyFreeTds = {QStringLiteral("FreeTDS")};
const QString prefix = QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;");

} // namespace

TEST(ConnectionString, TranslatesEveryKeyTheProgramUses) {
    const struct {
        const char* oledb;
        const char* odbc;
    } cases[] = {
        {"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=qzt;"
         "Data Source=dbhost",
         "DRIVER={FreeTDS};SERVER={dbhost};UID={sa};PWD={qzt};TDS_Version=7.4;"
         "ClientCharset=UTF-8;"},
        // Keys in any case, blanks around them, a value quoted with either quote.
        {"provider = sqloledb ; USER ID=\"sa\";password='a;b=c''d';DATA SOURCE=h\\SQLEXPRESS",
         "DRIVER={FreeTDS};SERVER={h\\SQLEXPRESS};UID={sa};PWD={a;b=c'd};TDS_Version=7.4;"
         "ClientCharset=UTF-8;"},
        // FreeTDS takes the port apart from the host.
        {"Provider=SQLNCLI11;User ID=u;Password=;Data Source=127.0.0.1,14330;"
         "Initial Catalog=KUZ_MASTER;Encrypt=yes",
         "DRIVER={FreeTDS};SERVER={127.0.0.1};PORT=14330;UID={u};PWD={};"
         "DATABASE={KUZ_MASTER};TDS_Version=7.4;ClientCharset=UTF-8;Encryption=require;"},
        // Unknown keys are ignored.
        {"Provider=MSOLEDBSQL;Workstation ID=PC1;Data Source=(local);User ID=sa;Password=x",
         "DRIVER={FreeTDS};SERVER={127.0.0.1};UID={sa};PWD={x};TDS_Version=7.4;"
         "ClientCharset=UTF-8;"},
    };
    for (const auto& c : cases) {
        const OdbcTarget t = translateConnectionString(QString::fromUtf8(c.oledb), onlyFreeTds);
        EXPECT_EQ(t.connectionString().toStdString(), c.odbc) << c.oledb;
    }
}

TEST(ConnectionString, TheProviderChoosesTheBestInstalledDriver) {
    const QString s = prefix + QStringLiteral("User ID=sa;Password=p}w;Data Source=h,1433;"
                                              "Use Encryption for Data=True;"
                                              "Trust Server Certificate=True");
    const OdbcTarget ms = translateConnectionString(
        s, {QStringLiteral("FreeTDS"), QStringLiteral("ODBC Driver 17 for SQL Server"),
            QStringLiteral("ODBC Driver 18 for SQL Server")});
    EXPECT_EQ(ms.driver, QStringLiteral("ODBC Driver 18 for SQL Server"));
    EXPECT_EQ(ms.connectionString().toStdString(),
              "DRIVER={ODBC Driver 18 for SQL Server};SERVER={h,1433};UID={sa};PWD={p}}w};"
              "Encrypt=yes;TrustServerCertificate=yes;");
    EXPECT_TRUE(ms.fitsConnectionString());
    const OdbcTarget tds = translateConnectionString(s, onlyFreeTds);
    // FreeTDS cannot take "}" inside braces.
    EXPECT_FALSE(tds.fitsConnectionString());

    EXPECT_THROW(translateConnectionString(s, {}), std::runtime_error);
    EXPECT_THROW(translateConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;"
                                                          "Data Source=x"),
                                           onlyFreeTds),
                 std::runtime_error);
    EXPECT_THROW(translateConnectionString(QStringLiteral("User ID=sa;Data Source=x"), onlyFreeTds),
                 std::runtime_error);
}

TEST(ConnectionString, ConnectTimeoutOverridesTheConnectionsOwn) {
    EXPECT_FALSE(translateConnectionString(prefix + QStringLiteral("Data Source=h"), onlyFreeTds)
                     .connectTimeout);
    EXPECT_EQ(translateConnectionString(prefix + QStringLiteral("Connect Timeout=15;Data Source=h"),
                                        onlyFreeTds)
                  .connectTimeout,
              15);
    EXPECT_THROW(
        translateConnectionString(prefix + QStringLiteral("Connect Timeout=soon"), onlyFreeTds),
        std::runtime_error);
}

TEST(ConnectionString, QuotedValuesReachTheServerAsTyped) {
    const std::string password = "p;w=d\"x' ";
    kuz::test::StandinServer server({"--login", "kuz:" + password});
    const QString typed = QString::fromStdString(password);
    EXPECT_EQ(quoteOleDbValue(QStringLiteral("plain")), QStringLiteral("plain"));
    const QString oledb = prefix + QStringLiteral("User ID=kuz;Password=") +
                          quoteOleDbValue(typed) + QStringLiteral(";Data Source=") +
                          QString::fromStdString(server.address());
    const OdbcTarget t = translateConnectionString(oledb, onlyFreeTds);
    EXPECT_EQ(t.password, typed);
    kuz::test::RawConnection c(t.connectionString().toStdString());
    EXPECT_EQ(c.currentCatalog(), "master");
}

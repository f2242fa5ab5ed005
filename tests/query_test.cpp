// The data layer's query objects against the stand-in, through FreeTDS.
#include "Connection.h"
#include "DbError.h"
#include "Query.h"
#include "support/StandinServer.h"

#include <gtest/gtest.h>

using namespace kuz;
using kuz::test::StandinServer;
using kuz::test::WithSharedStandin;

class QueryTest : public WithSharedStandin<testing::Test> {
protected:
    QueryTest() {
        connection.setConnectionString(
            QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=") +
            QString::fromLatin1(StandinServer::password) + QStringLiteral(";Data Source=") +
            QString::fromStdString(server().address()));
        connection.setAfterConnect([this] { ++connects; });
    }

    static std::string message(const std::function<void()>& f) {
        try {
            f();
        } catch (const DbError& e) {
            return e.what();
        }
        return "no error";
    }

    Connection connection;
    int connects = 0;
    Query q1{connection, QStringLiteral("ADOQuery1")};
};

TEST_F(QueryTest, TheTextGoesAsOneBatchWithCrLfLineBreaks) {
    q1.setSql(QStringLiteral("SELECT 1\nSELECT 2\rSELECT 3\r\n"));
    EXPECT_EQ(q1.commandText(), QStringLiteral("SELECT 1\r\nSELECT 2\r\nSELECT 3\r\n"));
    q1.setSql(QStringLiteral("GO"));
    EXPECT_EQ(q1.commandText(), QStringLiteral("GO\r\n"));
    q1.setSql(QString());
    EXPECT_EQ(q1.commandText(), QString());
}

TEST_F(QueryTest, AClosedConnectionIsOpenedByTheFirstQuery) {
    EXPECT_FALSE(connection.isOpen());
    q1.setSql(QStringLiteral("USE KUZ_MASTER"));
    q1.execute();
    EXPECT_TRUE(connection.isOpen());
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(connection.currentDatabase(), QStringLiteral("KUZ_MASTER"));
    EXPECT_EQ(server().batches().back(), "master\tUSE KUZ_MASTER\\r\\n");
}

TEST_F(QueryTest, TheDataLayersOwnMessagesCarryTheObjectsName) {
    q1.setSql(QString());
    EXPECT_EQ(message([&] { q1.execute(); }), "ADOQuery1: Missing SQL property");
    EXPECT_FALSE(connection.isOpen()); // refused before anything was sent
    q1.setSql(QStringLiteral("USE KUZ_MASTER"));
    EXPECT_EQ(message([&] { q1.open(); }), "ADOQuery1: CommandText does not return a result set");
    Query q3(connection, QStringLiteral("ADOQuery3"));
    EXPECT_EQ(message([&] { q3.asText(QStringLiteral("name")); }),
              "ADOQuery3: Field 'name' not found");
    // The server's errors come with its own text.
    q1.setSql(QStringLiteral("SELECT * FROM YOKTABLO"));
    EXPECT_EQ(message([&] { q1.execute(); }), "Invalid object name 'YOKTABLO'.");
    // An error of a later statement of the batch is not lost.
    q1.setSql(QStringLiteral("SELECT 1\r\nUSE KUZ_YOK_1"));
    EXPECT_EQ(message([&] { q1.execute(); }),
              "Database 'KUZ_YOK_1' does not exist. Make sure that the name is entered correctly.");
}

TEST_F(QueryTest, OpenTakesTheFirstResultWithColumnsAndAssigningCloses) {
    q1.setSql(QStringLiteral("CREATE DATABASE KUZ_Q_1"));
    q1.execute();
    q1.setSql(
        QStringLiteral("USE KUZ_Q_1\r\nCREATE TABLE T (A int, B nvarchar(20), D decimal(28,9), "
                       "F float, W datetime)\r\n"
                       "INSERT INTO T VALUES (1, N'Şirket ğüı', 12345678.123456789, 0.2, "
                       "'2021-03-15 00:00:00')\r\n"
                       "INSERT INTO T VALUES (2, NULL, NULL, NULL, NULL)"));
    q1.execute();
    q1.setSql(QStringLiteral("UPDATE T SET A = A + 10\r\nSELECT A, B, D, F, W FROM T ORDER BY A\r\n"
                             "SELECT 'later'"));
    q1.open();
    ASSERT_TRUE(q1.isOpen());
    EXPECT_EQ(q1.recordCount(), 2);
    EXPECT_EQ(q1.fieldCount(), 5);
    EXPECT_EQ(q1.asInt(QStringLiteral("a")), 11);
    EXPECT_EQ(q1.asText(QStringLiteral("B")), QStringLiteral("Şirket ğüı"));
    EXPECT_EQ(q1.fieldKind(2), FieldKind::Decimal);
    // 15 significant digits are what the stand-in keeps; all of them arrive.
    EXPECT_EQ(q1.asDecimal(QStringLiteral("D")).toString(), QStringLiteral("12345678.1234568"
                                                                           "00"));
    EXPECT_DOUBLE_EQ(q1.asDouble(QStringLiteral("F")), 0.2);
    EXPECT_EQ(q1.asDateTime(QStringLiteral("W")).date(), QDate(2021, 3, 15));
    q1.next();
    EXPECT_TRUE(q1.isNull(QStringLiteral("B")));
    EXPECT_TRUE(q1.isNull(QStringLiteral("D")));
    EXPECT_FALSE(q1.asDateTime(QStringLiteral("W")).isValid());
    q1.next();
    EXPECT_TRUE(q1.eof());

    // The same text again closes the query and runs the batch again: fresh rows.
    q1.setSql(q1.sql());
    EXPECT_FALSE(q1.isOpen());
    q1.open();
    q1.first();
    EXPECT_EQ(q1.asInt(QStringLiteral("A")), 21);
    q1.setSql(QStringLiteral("USE master\r\nDROP DATABASE KUZ_Q_1"));
    q1.execute();
}

TEST(Decimal, WritesItsDigitsExactly) {
    EXPECT_EQ((Decimal{1234567891, 9}.toString()), QStringLiteral("1.234567891"));
    EXPECT_EQ((Decimal{-5, 9}.toString()), QStringLiteral("-0.000000005"));
    EXPECT_EQ((Decimal{42, 0}.toString()), QStringLiteral("42"));
    EXPECT_DOUBLE_EQ((Decimal{123456789012, 4}.toDouble()), 12345678.9012);
    EXPECT_EQ((Decimal{123456789012, 4}.truncated()), 12345678);
    EXPECT_EQ((Decimal{-19, 1}.truncated()), -1);
}

TEST_F(QueryTest, DeclaredFieldsAreBoundByNameWithTheirKindRules) {
    q1.setSql(QStringLiteral("CREATE DATABASE KUZ_Q_2"));
    q1.execute();
    q1.setSql(QStringLiteral("USE KUZ_Q_2\r\nCREATE TABLE T (I int, L bigint, D decimal(38,12), "
                             "F float, S nvarchar(10), W datetime, B bit)\r\n"
                             "INSERT INTO T VALUES (7, 8, 1.1234567895, 0.1, N'ğ', "
                             "'2024-12-31 00:00:00', 1)\r\n"
                             "INSERT INTO T VALUES (NULL, NULL, -2.0000000004, NULL, NULL, NULL, "
                             "NULL)"));
    q1.execute();
    Query q11(connection, QStringLiteral("ADOQuery11"));
    q11.setSql(QStringLiteral("SELECT * FROM T ORDER BY D DESC"));
    // Declared in another order than the columns; L and B have no declared field.
    q11.setFields({{QStringLiteral("S"), FieldKind::Text, 5},
                   {QStringLiteral("F"), FieldKind::Decimal, 28, 9},
                   {QStringLiteral("d"), FieldKind::Decimal, 28, 9},
                   {QStringLiteral("W"), FieldKind::DateTime},
                   {QStringLiteral("I"), FieldKind::Integer}});
    q11.open();
    ASSERT_EQ(q11.fieldCount(), 5);
    EXPECT_EQ(q11.fieldName(0), QStringLiteral("S"));
    EXPECT_EQ(q11.fieldName(2), QStringLiteral("d"));
    EXPECT_EQ(q11.asText(QStringLiteral("S")), QStringLiteral("ğ"));
    EXPECT_EQ(q11.asDecimal(1, 0).toString(), QStringLiteral("0.100000000"));
    // Kept to the declared nine places, rounded half away from zero.
    EXPECT_EQ(q11.asDecimal(2, 0).toString(), QStringLiteral("1.123456790"));
    EXPECT_EQ(q11.asInt(QStringLiteral("I")), 7);
    EXPECT_EQ(q11.asDateTime(QStringLiteral("W")).date(), QDate(2024, 12, 31));
    EXPECT_THROW(q11.fieldIndex(QStringLiteral("L")), DbError);
    EXPECT_EQ(q11.asDecimal(2, 1).toString(), QStringLiteral("-2.000000000"));
    EXPECT_TRUE(q11.isNull(0, 1));
    EXPECT_TRUE(q11.isNull(1, 1));
    EXPECT_TRUE(q11.isNull(4, 1));
    // A decimal column declared as a double: the double nearest to its digits.
    q11.setFields({{QStringLiteral("D"), FieldKind::Real}});
    q11.open();
    EXPECT_DOUBLE_EQ(q11.asDouble(0, 0), 1.1234567895);

    struct Case {
        FieldDef field;
        const char* message;
    };
    const Case refused[] = {
        {{QStringLiteral("YOK"), FieldKind::Text}, "ADOQuery11: Field 'YOK' not found"},
        {{QStringLiteral("i"), FieldKind::Integer}, "ADOQuery11: Duplicate field name 'i'"},
        {{QStringLiteral("L"), FieldKind::Integer},
         "ADOQuery11: Type mismatch for field 'L', expecting: Integer actual: Largeint"},
        {{QStringLiteral("I"), FieldKind::Real},
         "ADOQuery11: Type mismatch for field 'I', expecting: Float actual: Integer"},
        {{QStringLiteral("S"), FieldKind::Decimal, 28, 9},
         "ADOQuery11: Type mismatch for field 'S', expecting: BCD actual: WideString"},
        {{QStringLiteral("W"), FieldKind::Text},
         "ADOQuery11: Type mismatch for field 'W', expecting: WideString actual: DateTime"},
        {{QStringLiteral("B"), FieldKind::Integer},
         "ADOQuery11: Type mismatch for field 'B', expecting: Integer actual: Boolean"},
    };
    for (const Case& c : refused) {
        q11.setFields({{QStringLiteral("I"), FieldKind::Integer}, c.field});
        EXPECT_EQ(message([&] { q11.open(); }), c.message);
        EXPECT_FALSE(q11.isOpen());
    }
    q1.setSql(QStringLiteral("USE master\r\nDROP DATABASE KUZ_Q_2"));
    q1.execute();
}

// Script text rules and script files, without a window.
#include "BatchRun.h"
#include "PreparedStatements.h"
#include "ScriptFile.h"
#include "ScriptText.h"
#include "TableList.h"
#include "support/TestFolders.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace kuz;
using namespace kuz::test;

TEST(ScriptText, AppendLineFollowsTheMemosRule) {
    struct Case {
        const char* text;
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"", "SELECT 1", "SELECT 1\r\n"},
        {"A\r\n", "B", "A\r\nB\r\n"},
        {"A", "B", "A\r\nB"},
        {"A\r\nB", "", "A\r\nB\r\n"},
        {"", "", "\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(appendLine(QString::fromUtf8(c.text), QString::fromUtf8(c.line)),
                  QString::fromUtf8(c.expected))
            << c.text << " + " << c.line;
}

TEST(ScriptText, EveryLineBreakBecomesCrLf) {
    EXPECT_EQ(withCrLf(QStringLiteral("a\nb\rc\r\nd\n\re")),
              QStringLiteral("a\r\nb\r\nc\r\nd\r\n\r\ne"));
    EXPECT_EQ(withCrLf(QString()), QString());
}

TEST(ScriptFile, EncodingsAreRecognisedAndWrittenBack) {
    const QString turkish = QStringLiteral("SELECT 'ĞÜŞİÖÇ ğüşıöç'\r\nGO");
    struct Case {
        ScriptEncoding encoding;
        const char* name;
    };
    const Case cases[] = {{ScriptEncoding::Cp1254, "cp1254"},
                          {ScriptEncoding::Utf8, "utf-8"},
                          {ScriptEncoding::Utf8Bom, "utf-8 with mark"},
                          {ScriptEncoding::Utf16Le, "utf-16le"},
                          {ScriptEncoding::Utf16Be, "utf-16be"}};
    for (const Case& c : cases) {
        const QByteArray bytes = encodeScript(turkish, c.encoding);
        const Script back = decodeScript(bytes);
        EXPECT_EQ(back.text, turkish) << c.name;
        EXPECT_EQ(back.encoding, c.encoding) << c.name;
        EXPECT_EQ(encodeScript(back.text, back.encoding), bytes) << c.name;
    }
    // Windows-1254 bytes as the Windows program writes them.
    EXPECT_EQ(encodeScript(QStringLiteral("ğŞı"), ScriptEncoding::Cp1254),
              QByteArray("\xF0\xDE\xFD"));
    // Plain ASCII stays Windows-1254, the default.
    EXPECT_EQ(decodeScript("SELECT 1").encoding, ScriptEncoding::Cp1254);
}

TEST(ScriptFile, OpeningNormalisesLineBreaksAndKeepsZeroBytes) {
    TempFolder dir;
    struct Case {
        std::string bytes;
        QString text;
    };
    const Case cases[] = {
        {"", QString()},
        {"A\nB\n", QStringLiteral("A\r\nB\r\n")},
        {"A\rB", QStringLiteral("A\r\nB")},
        {"A\r\nB", QStringLiteral("A\r\nB")},
        {std::string("A\0B", 3), QStringView(u"A\u0000B", 3).toString()},
    };
    for (const Case& c : cases) {
        writeFile(dir / "s.sql", c.bytes);
        EXPECT_EQ(readScript(dir / "s.sql").text, c.text) << c.bytes;
    }
}

TEST(ScriptFile, ACrLfScriptComesBackByteForByte) {
    TempFolder dir;
    const std::string bytes = "USE KUZ_A_2024\r\nUPDATE T SET A = '\xF0\xFE'\r\n\r\nGO";
    writeFile(dir / "a.sql", bytes);
    const Script s = readScript(dir / "a.sql");
    writeScript(dir / "b.sql", s.text, s.encoding);
    EXPECT_EQ(readFile(dir / "b.sql"), bytes);
    writeScript(dir / "empty.sql", QString(), ScriptEncoding::Cp1254);
    EXPECT_EQ(std::filesystem::file_size(dir / "empty.sql"), 0u);
}

TEST(ScriptFile, FailuresNameThePathAndLeaveTheOldFile) {
    TempFolder dir;
    const auto missing = dir / "yok.sql";
    try {
        readScript(missing);
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing.string());
    }
    writeFile(dir / "old.sql", "old text");
    {
        ImmutableFolder locked(dir.path());
        try {
            writeScript(dir / "old.sql", QStringLiteral("new"), ScriptEncoding::Cp1254);
            FAIL();
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot create file " + (dir / "old.sql").string());
        }
    }
    EXPECT_EQ(readFile(dir / "old.sql"), "old text");
    // A character the code page cannot hold is refused, not replaced.
    EXPECT_THROW(writeScript(dir / "old.sql", QStringLiteral("漢"), ScriptEncoding::Cp1254),
                 std::runtime_error);
    EXPECT_EQ(readFile(dir / "old.sql"), "old text");
}

TEST(ScriptFile, ANameWithoutExtensionGetsSql) {
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/t/betik")), QStringLiteral("/t/betik.SQL"));
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/t/betik.txt")), QStringLiteral("/t/betik.txt"));
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/t.d/betik")), QStringLiteral("/t.d/betik.SQL"));
}

// A window stand-in for the batch run: records every call in order.
class FakeBatchTarget : public BatchTarget {
public:
    struct Item {
        QString name;
        bool checked;
    };
    std::vector<Item> items;
    QString script = QStringLiteral("UPDATE T SET A = 1");
    bool detail = false, summary = false, withScript = true;
    QString failOn; // a command that throws
    QStringList calls;
    QString status = QStringLiteral("önce");
    QString current = QStringLiteral("master");
    bool busy = false;

    int itemCount() const override { return static_cast<int>(items.size()); }
    QString itemText(int i) const override { return items[static_cast<size_t>(i)].name; }
    bool isChecked(int i) const override { return items[static_cast<size_t>(i)].checked; }
    void uncheck(int i) override { items[static_cast<size_t>(i)].checked = false; }
    bool hasScript() const override { return withScript; }
    QString scriptText() const override { return script; }
    void runCommand(const QString& text) override {
        calls << text;
        if (text == failOn)
            throw std::runtime_error("failed");
        if (text.startsWith(u"USE ["_qs))
            current = text.mid(5, text.size() - 6);
    }
    bool detailBox() const override { return detail; }
    bool summaryBox() const override { return summary; }
    void detailReport() override {
        calls << u"detail"_qs;
        script = u"DETAIL STATEMENT"_qs; // a report leaves its statement in the memo
    }
    void summaryReport() override {
        calls << u"summary"_qs;
        script = u"SUMMARY STATEMENT"_qs;
    }
    QString currentDatabase() const override { return current; }
    void setStatusText(const QString& text) override { status = text; }
    void showProgress(int done, int total, const QString& database) override {
        calls << QStringLiteral("progress %1/%2 %3").arg(done).arg(total).arg(database);
    }
    void setBusyCursor() override { busy = true; }
    void setDefaultCursor() override { busy = false; }

    QStringList marks() const {
        QStringList out;
        for (const Item& i : items)
            out << (i.checked ? u"x"_qs : u"-"_qs);
        return out;
    }
};

TEST(BatchRun, TheBoxesDecideWhatEachDatabaseGets) {
    struct Case {
        bool detail, summary, withScript;
        QStringList calls;
    };
    const Case cases[] = {
        {false,
         false,
         true,
         {u"progress 0/2 a"_qs, u"USE [a]"_qs, u"SCRIPT"_qs, u"progress 1/2 b"_qs, u"USE [b]"_qs,
          u"SCRIPT"_qs}},
        {true,
         false,
         true,
         {u"progress 0/2 a"_qs, u"USE [a]"_qs, u"detail"_qs, u"progress 1/2 b"_qs, u"USE [b]"_qs,
          u"detail"_qs}},
        // The script runs as it stood in the first database; the next runs what the summary
        // report left in the memo.
        {false,
         true,
         true,
         {u"progress 0/2 a"_qs, u"USE [a]"_qs, u"SCRIPT"_qs, u"summary"_qs, u"progress 1/2 b"_qs,
          u"USE [b]"_qs, u"SUMMARY STATEMENT"_qs, u"summary"_qs}},
        {true,
         true,
         true,
         {u"progress 0/2 a"_qs, u"USE [a]"_qs, u"detail"_qs, u"summary"_qs, u"progress 1/2 b"_qs,
          u"USE [b]"_qs, u"detail"_qs, u"summary"_qs}},
        // A run without a script (reports only) leaves the script step out.
        {false,
         true,
         false,
         {u"progress 0/2 a"_qs, u"USE [a]"_qs, u"summary"_qs, u"progress 1/2 b"_qs, u"USE [b]"_qs,
          u"summary"_qs}},
        {false,
         false,
         false,
         {u"progress 0/2 a"_qs, u"USE [a]"_qs, u"progress 1/2 b"_qs, u"USE [b]"_qs}},
    };
    for (const Case& c : cases) {
        FakeBatchTarget t;
        t.items = {{u"a"_qs, true}, {u"skip"_qs, false}, {u"b"_qs, true}};
        t.script = u"SCRIPT"_qs;
        t.detail = c.detail;
        t.summary = c.summary;
        t.withScript = c.withScript;
        runBatch(t);
        EXPECT_EQ(t.calls, c.calls) << c.detail << c.summary << c.withScript;
        EXPECT_EQ(t.marks(), (QStringList{u"-"_qs, u"-"_qs, u"-"_qs}));
        EXPECT_EQ(t.status, u"b"_qs);
        EXPECT_FALSE(t.busy);
    }
}

TEST(BatchRun, NothingCheckedSendsNothing) {
    for (const std::vector<FakeBatchTarget::Item>& items :
         {std::vector<FakeBatchTarget::Item>{}, {{u"a"_qs, false}, {u"b"_qs, false}}}) {
        FakeBatchTarget t;
        t.items = items;
        runBatch(t);
        EXPECT_TRUE(t.calls.isEmpty());
        EXPECT_EQ(t.status, u"önce"_qs);
        EXPECT_FALSE(t.busy);
    }
}

TEST(BatchRun, AFailureKeepsTheMarksFromThereAndTheNextRunResumes) {
    FakeBatchTarget t;
    t.items = {{u"a"_qs, true}, {u"b"_qs, true}, {u"c"_qs, true}};
    t.failOn = u"USE [b]"_qs;
    EXPECT_THROW(runBatch(t), std::runtime_error);
    EXPECT_EQ(t.marks(), (QStringList{u"-"_qs, u"x"_qs, u"x"_qs}));
    EXPECT_EQ(t.status, u"a"_qs); // the last database that completed
    EXPECT_TRUE(t.busy);          // the window's timer resets the cursor

    // The script fails in b this time, after its USE.
    t.failOn = t.script;
    t.calls.clear();
    EXPECT_THROW(runBatch(t), std::runtime_error);
    EXPECT_EQ(t.calls, (QStringList{u"progress 0/2 b"_qs, u"USE [b]"_qs, t.script}));
    EXPECT_EQ(t.marks(), (QStringList{u"-"_qs, u"x"_qs, u"x"_qs}));

    t.failOn.clear();
    t.calls.clear();
    runBatch(t);
    EXPECT_EQ(t.calls.first(), u"progress 0/2 b"_qs);
    EXPECT_EQ(t.marks(), (QStringList{u"-"_qs, u"-"_qs, u"-"_qs}));
    EXPECT_EQ(t.status, u"c"_qs);
}

TEST(BatchRun, TheScriptIsReadAnewForEachDatabase) {
    // A target whose memo changes between databases, as an edit by a report would.
    struct Changing : FakeBatchTarget {
        mutable int reads = 0;
        QString scriptText() const override { return QStringLiteral("S%1").arg(++reads); }
    } t;
    t.items = {{u"a"_qs, true}, {u"b"_qs, true}};
    runBatch(t);
    EXPECT_TRUE(t.calls.contains(u"S1"_qs));
    EXPECT_TRUE(t.calls.contains(u"S2"_qs));
}

TEST(BatchRun, UseBracketsTheName) {
    EXPECT_EQ(useStatement(u"KUZ_A_2024"_qs), u"USE [KUZ_A_2024]"_qs);
    EXPECT_EQ(useStatement(u"KUZ A]B"_qs), u"USE [KUZ A]]B]"_qs);
}

TEST(PreparedStatements, TheTextsExactly) {
    EXPECT_EQ(eLedgerSettingsStatement(),
              u"SELECT * FROM SABITLER WHERE SABITMODUL='22' AND SABITKONU>='38' ORDER BY "
              u"SABITKONU "_qs);
    EXPECT_EQ(eInvoiceSettingsStatement(),
              u"SELECT * FROM SABITLER WHERE SABITMODUL='25' AND SABITKONU>='40' ORDER BY "
              u"SABITKONU "_qs);
    const QString head =
        u" SELECT MUHHAREVRAKTAR,MUHHAREVRAKNO,MUHHARMUHKOD,MUHHARACIKLAMA,"
        u"MUHHARBATIPI,MUHHARBELTUR,MUHHARTUTAR FROM MUHHAR WHERE MUHHARREFNO='"_qs;
    const QString tail = u"' GROUP BY MUHHAREVRAKTAR,MUHHAREVRAKNO,MUHHARMUHKOD,MUHHARACIKLAMA,"
                         u"MUHHARBATIPI,MUHHARBELTUR,MUHHARTUTAR  ORDER BY MUHHAREVRAKNO,"
                         u"MUHHARBATIPI "_qs;
    EXPECT_EQ(voucherLinesStatement(u"2024"_qs), head + u"2024"_qs + tail);
    EXPECT_EQ(voucherLinesStatement(QString()), head + tail);
    EXPECT_EQ(voucherLinesStatement(u"1' OR '1'='1"_qs), head + u"1'' OR ''1''=''1"_qs + tail);
}

TEST(TableList, StatementsAndLines) {
    EXPECT_EQ(tableListStatement(u"DEM"_qs),
              u"select name from sys.tables Where name Like 'DEM%'"_qs);
    EXPECT_EQ(tableListStatement(u"a'b"_qs),
              u"select name from sys.tables Where name Like 'a''b%'"_qs);
    struct Case {
        const char16_t* table;
        const char16_t* line;
    };
    const Case cases[] = {
        {u"MUHHAR", u"SELECT * FROM MUHHAR "}, {u"", u"SELECT * FROM  "},
        {u"Şube_2", u"SELECT * FROM Şube_2 "}, {u"MY TABLE", u"SELECT * FROM [MY TABLE] "},
        {u"order", u"SELECT * FROM [order] "}, {u"2024X", u"SELECT * FROM [2024X] "},
        {u"a]b", u"SELECT * FROM [a]]b] "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(selectAllLine(QString::fromUtf16(c.table)), QString::fromUtf16(c.line));
}

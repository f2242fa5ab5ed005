// Script text rules and script files, without a window.
#include "ScriptFile.h"
#include "ScriptText.h"
#include "support/TestFolders.h"

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

// The application shell without a window: the error-box text, the profile file, the settings.
#include "AnsiText.h"
#include "AtomicFile.h"
#include "ErrorText.h"
#include "ProfileFile.h"
#include "Settings.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kuz;
using kuz::test::CurrentDirectory;
using kuz::test::ImmutableFolder;
using kuz::test::readFile;
using kuz::test::TempFolder;
using kuz::test::writeFile;

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterACharacterAboveTheDot) {
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"Cannot open file x", "Cannot open file x."},
        {"Error 18456", "Error 18456."},
        {"Invalid object name 'X'.", "Invalid object name 'X'."},
        {"(see the log)", "(see the log)"},
        {"Stop!", "Stop!"},
        // An apostrophe and a comma have codes below the dot: nothing is added.
        {"Login failed for user 'sa'", "Login failed for user 'sa'"},
        {"Ends in a comma,", "Ends in a comma,"},
        {"Bağlantı kurulamadı: ş", "Bağlantı kurulamadı: ş."},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorBoxText(QString::fromUtf8(c.message)).toStdString(), c.shown) << c.message;
}

TEST(AnsiText, TurkishLettersAreSingleWindows1254Bytes) {
    const QString turkish = QStringLiteral("ğüşıöçĞÜŞİÖÇ");
    const QByteArray bytes = toCp1254(turkish);
    EXPECT_EQ(bytes, QByteArray("\xF0\xFC\xFE\xFD\xF6\xE7\xD0\xDC\xDE\xDD\xD6\xC7"));
    EXPECT_EQ(fromCp1254(bytes), turkish);
}

TEST(AnsiText, EveryByteDecodesAndACharacterOutsideTheCodePageIsRefused) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(fromCp1254(all).size(), 256);
    EXPECT_EQ(toCp1254(fromCp1254(all)), all);
    EXPECT_THROW(toCp1254(QStringLiteral("€ ok, 日本 not")), std::runtime_error);
}

TEST(AtomicFile, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    TempFolder dir;
    writeFile(dir / "a.txt", "old");
    {
        AtomicFile file(dir / "a.txt", 0600, "cannot write");
        file.write("half of the new");
        // Destroyed without commit, as when an exception leaves the writer.
    }
    EXPECT_EQ(readFile(dir / "a.txt"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    writeFileAtomically(dir / "a.txt", "new", 0600, "cannot write");
    EXPECT_EQ(readFile(dir / "a.txt"), "new");
}

class ProfileFileTest : public testing::Test {
protected:
    TempFolder dir;
    std::filesystem::path ini = dir / "test.ini";
    ProfileFile file{ini};
};

TEST_F(ProfileFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(file.readString("MSSQL", "Sunucu", "def"), "def");
    writeFile(ini, "[OTHER]\r\nSunucu=x\r\n");
    EXPECT_EQ(file.readString("MSSQL", "Sunucu", "def"), "def");
    writeFile(ini, "[MSSQL]\r\nKullanici=x\r\n");
    EXPECT_EQ(file.readString("MSSQL", "Sunucu", "def"), "def");
}

TEST_F(ProfileFileTest, WritesCreateReplaceInPlaceAndAppendToTheSection) {
    writeFile(ini, "; kept comment\r\n[mssql]\r\nsunucu=old\r\nNO=2023\r\n\r\n[Other]\r\nx=1\r\n");
    file.writeString("MSSQL", "Sunucu", "new");
    file.writeString("MSSQL", "Parola", "p");
    file.writeString("Third", "k", "v");
    EXPECT_EQ(readFile(ini),
              "; kept comment\r\n[mssql]\r\nsunucu=new\r\nNO=2023\r\nParola=p\r\n\r\n"
              "[Other]\r\nx=1\r\n[Third]\r\nk=v\r\n");
    EXPECT_EQ(file.readString("MSSQL", "SUNUCU", ""), "new");
}

TEST_F(ProfileFileTest, ValuesRoundTripExactlyUpTo2047Characters) {
    const QString tricky = QStringLiteral(" a=b;c\"d' [x] ");
    file.writeString("MSSQL", "Parola", tricky);
    EXPECT_EQ(file.readString("MSSQL", "Parola", ""), tricky);
    const QString turkish = QStringLiteral("Şirket_Ğ_ı");
    file.writeString("MSSQL", "Sunucu", turkish);
    EXPECT_NE(readFile(ini).find("Sunucu=\xDE"
                                 "irket_\xD0_\xFD"),
              std::string::npos);
    EXPECT_EQ(file.readString("MSSQL", "Sunucu", ""), turkish);
    file.writeString("MSSQL", "Long", QString(3000, u'x'));
    EXPECT_EQ(file.readString("MSSQL", "Long", "").size(), 2047);
}

TEST_F(ProfileFileTest, ANewFileIsPrivateAndAnExistingOneKeepsItsMode) {
    file.writeString("MSSQL", "Parola", "secret");
    struct stat st {};
    ASSERT_EQ(stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    chmod(ini.c_str(), 0640);
    file.writeString("MSSQL", "Parola", "other");
    ASSERT_EQ(stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ProfileFileTest, ARefusedWriteNamesThePathAndKeepsTheFile) {
    file.writeString("MSSQL", "NO", "2024");
    ImmutableFolder locked(dir.path());
    try {
        file.writeString("MSSQL", "NO", "2025");
        FAIL() << "the write should have been refused";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + ini.string());
    }
    EXPECT_EQ(file.readString("MSSQL", "NO", ""), "2024");
}

class SettingsTest : public testing::Test {
protected:
    TempFolder dir;
    CurrentDirectory cwd{dir.path()};
};

TEST_F(SettingsTest, FirstStartShowsTheDefaults) {
    const SavedBoxes boxes = settings::load();
    EXPECT_EQ(boxes.authentication, "SQL Server Yetkilendirmesi");
    EXPECT_EQ(boxes.server, "localhost\\SQLEXPRESS");
    EXPECT_EQ(boxes.user, "sa");
    EXPECT_EQ(boxes.password, "qzt");
    EXPECT_EQ(boxes.reportYear, "2024");
    EXPECT_FALSE(std::filesystem::exists(dir / "KUZUtilSQL.INI"));
}

TEST_F(SettingsTest, ConnectionThenYearGivesTheKeysInOrder) {
    settings::saveConnection({"SQL Yetkilendermesi", "127.0.0.1,1433", "sa", "p=w;d", "x"});
    settings::saveReportYear("2025");
    EXPECT_EQ(readFile(dir / "KUZUtilSQL.INI"),
              "[MSSQL]\r\nYetkilendirme=SQL Yetkilendermesi\r\nSunucu=127.0.0.1,1433\r\n"
              "Kullanici=sa\r\nParola=p=w;d\r\nNO=2025\r\n");
    const SavedBoxes boxes = settings::load();
    EXPECT_EQ(boxes.password, "p=w;d");
    EXPECT_EQ(boxes.reportYear, "2025");
}

TEST_F(SettingsTest, TheFileFollowsTheCurrentDirectory) {
    settings::saveReportYear("2020");
    TempFolder other;
    CurrentDirectory moved(other.path());
    EXPECT_EQ(settings::load().reportYear, "2024");
    settings::saveReportYear("2021");
    EXPECT_EQ(readFile(other / "KUZUtilSQL.INI"), "[MSSQL]\r\nNO=2021\r\n");
    EXPECT_EQ(readFile(dir / "KUZUtilSQL.INI"), "[MSSQL]\r\nNO=2020\r\n");
}

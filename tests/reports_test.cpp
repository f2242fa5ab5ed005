// The fixed-asset statements by their text and by what they return from a small hand-made
// database on the stand-in, and the workbook export read back from the .xlsx file.
#include "AssetSheet.h"
#include "AssetStatements.h"
#include "Connection.h"
#include "DbError.h"
#include "Query.h"
#include "support/RawOdbc.h"
#include "support/RunProgram.h"
#include "support/StandinServer.h"
#include "support/TestFolders.h"

#include <QStringList>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>

using namespace kuz;
using namespace kuz::test;

namespace {

const char* const stems[] = {"DMHDUZONCAKTIF", "DMHDUZSONAKTIF", "DMHAKTIFFARK", "DMHDEGARTFON",
                             "DMHDUZONCBIRIK", "DMHDUZSONBIRIK", "DMHBIRIKFARK", "DMHAYRILAN",
                             "DMHAMORTORAN",   "DMHDUZKATSAYI"};

// A movement record's value for stem s and period p, in billionths: base + 10 s + p and the
// fraction .123456789, so every digit of a decimal(28,9) counts.
Int128 value(int base, int s, int p) {
    return static_cast<Int128>(base + 10 * s + p) * 1000000000 + 123456789;
}

std::string text(Int128 scaled) {
    return Decimal{scaled, 9}.toString().toStdString();
}

std::string record(int id, const char* card, int year, int kkeg, int base, bool son4Zero) {
    std::string sql = "INSERT INTO DEMHAR VALUES (" + std::to_string(id) + ", N'" + card + "', " +
                      std::to_string(year) + ", " + std::to_string(kkeg);
    for (int s = 0; s < 10; ++s)
        for (int p = 1; p <= 4; ++p)
            sql +=
                ", " + (s == 1 && p == 4 && son4Zero ? std::string("0") : text(value(base, s, p)));
    return sql + ")\r\n";
}

// The cards: A has records of 2024 (closing value 0 in period 4) and 2023; B two equal records
// of 2024; C is disposed; D's record is not deductible; E is of 2021, F of 2019; G has no
// record; H has no date and no description.
std::string fixture() {
    std::string sql = "CREATE TABLE DEMKART (DMKKOD nvarchar(40) NOT NULL PRIMARY KEY, DMKCINSI "
                      "nvarchar(80), DMKAMORTYUZDE decimal(28,9), DMKGIRTARIH datetime, "
                      "DMKGIRTUTAR decimal(28,9), DMKAMORTSURE int, DMKAMORTBITIS int, "
                      "DMKCIKISFLAG int)\r\nCREATE TABLE DEMHAR (DMHSIRANO int NOT NULL PRIMARY "
                      "KEY, DMHDEMKOD nvarchar(40), DMHYIL int, DMHKKEGFLAG int";
    for (const char* stem : stems)
        for (int p = 1; p <= 4; ++p)
            sql += std::string(", ") + stem + std::to_string(p) + " decimal(28,9)";
    sql += ")\r\n";
    for (const char* card : {"A", "B", "C", "D", "E", "F", "G"})
        sql += std::string("INSERT INTO DEMKART VALUES (N'") + card + "', N'Bilgisayar " + card +
               " ğüşıöç', 20.5, '2021-03-15 00:00:00', 123456.789123456, 5, 2025, " +
               (card[0] == 'C' ? "1" : "0") + ")\r\n";
    sql += "INSERT INTO DEMKART VALUES (N'H', NULL, 12.5, NULL, 100, 4, 2027, 0)\r\n";
    sql += record(1, "A", 2024, 0, 1000, true) + record(2, "A", 2023, 0, 2000, false) +
           record(3, "B", 2024, 0, 3000, false) + record(4, "B", 2024, 0, 3000, false) +
           record(5, "C", 2024, 0, 4000, false) + record(6, "D", 2024, 1, 5000, false) +
           record(7, "E", 2021, 0, 6000, false) + record(8, "F", 2019, 0, 7000, false) +
           record(9, "H", 2024, 0, 8000, false);
    return sql;
}

// The expected value columns of a period row (1 to 4) or of the summary row (0), by the
// statements' rules, for a record with the given base.
std::map<std::string, Int128> expected(int base, int period, bool son4Zero) {
    auto row = [&](int p) {
        const Int128 closing = son4Zero ? value(base, 0, 4) : value(base, 1, 4);
        std::map<std::string, Int128> r;
        r["DMHDUZONCAKTIF1"] = p == 1 ? value(base, 0, 1) : 0;
        r["DMHDUZSONAKTIF1"] = p == 4 ? closing : 0;
        r["DMHAKTIFFARK1"] = value(base, 2, p);
        r["DMHDEGARTFON1"] = value(base, 3, p);
        r["DMHDUZONCBIRIK1"] = p == 1 ? value(base, 4, 1) : 0;
        r["DMHDUZSONBIRIK1"] = p == 4 ? value(base, 5, 4) : 0;
        r["DMHBIRIKFARK1"] = value(base, 6, p);
        r["DMHAYRILAN1"] = value(base, 7, p);
        r["DMHAMORTORAN1"] = value(base, 8, p);
        r["DMHDUZKATSAYI1"] = value(base, 9, p);
        r["TOPBIRAMORT"] = p == 4 ? value(base, 4, 4) + value(base, 6, 4) + value(base, 7, 4) : 0;
        r["TOPAKTIFDEGER"] = p == 4 ? closing : 0;
        return r;
    };
    if (period > 0)
        return row(period);
    std::map<std::string, Int128> sum;
    for (int p = 1; p <= 4; ++p)
        for (const auto& [name, v] : row(p))
            sum[name] += v;
    return sum;
}

// Cells of the first sheet, by "row,column": kind, value and number format.
struct Cell {
    std::string kind, value, format;
};
std::map<std::string, Cell> readWorkbook(const std::filesystem::path& file, int* sheets = nullptr) {
    const std::string out = commandOutput(
        "/usr/bin/python3 '" KUZ_TESTS_DIR "/support/read_xlsx.py' '" + file.string() + "'");
    std::map<std::string, Cell> cells;
    size_t at = 0;
    while (at < out.size()) {
        const size_t end = out.find('\n', at);
        std::vector<std::string> f;
        std::string line = out.substr(at, end - at);
        at = end == std::string::npos ? out.size() : end + 1;
        size_t s = 0;
        for (size_t t; (t = line.find('\t', s)) != std::string::npos; s = t + 1)
            f.push_back(line.substr(s, t - s));
        f.push_back(line.substr(s));
        if (f[0] == "sheets" && sheets)
            *sheets = std::stoi(f[1]);
        else if (f.size() == 5)
            cells[f[0] + "," + f[1]] = {f[2], f[3], f[4]};
    }
    return cells;
}

} // namespace

TEST(AssetStatements, TheTextIsBuiltFromItsPiecesWithTheYearInFourPlaces) {
    for (const QString& y : {u"2024"_qs, u"202%"_qs, u""_qs, u"%"_qs, u" 20 24 "_qs}) {
        const QString detail = detailStatement(y);
        const QString summary = summaryStatement(y);
        EXPECT_EQ(detail.size(), 2785 + 4 * y.size());
        EXPECT_EQ(summary.size(), 3496 + 4 * y.size());
        EXPECT_EQ(detail.count(u"DMHYIL LIKE '"_qs + y + u'\''), 4);
        EXPECT_EQ(summary.count(u"DMHYIL LIKE '"_qs + y + u'\''), 4);
        // The summary wraps the detail's union as the derived table D.
        EXPECT_TRUE(summary.contains(detail.left(detail.size() - 3)));
        for (const QChar c : detail + summary)
            EXPECT_FALSE(c.category() == QChar::Other_Control) << "control character";
    }
    const QString detail = detailStatement(u"2024"_qs);
    EXPECT_TRUE(detail.startsWith(u"SELECT DMKKOD,DMKCINSI,DMKAMORTYUZDE,"_qs));
    EXPECT_TRUE(detail.contains(u"'2024'  UNION"_qs + QString(307, u' ') + u"SELECT"_qs));
    EXPECT_TRUE(detail.contains(u"'2024'      UNION"_qs + QString(307, u' ') + u"SELECT"_qs));
    EXPECT_TRUE(detail.contains(u"'2024'    UNION"_qs + QString(307, u' ') + u"SELECT"_qs));
    EXPECT_TRUE(detail.endsWith(u"DMHYIL LIKE '2024'   "_qs));
    EXPECT_TRUE(detail.contains(u"CASE DMHDUZSONAKTIF4 WHEN 0 THEN DMHDUZONCAKTIF4  ELSE "
                                u"DMHDUZSONAKTIF4 END AS TOPAKTIFDEGER  FROM"_qs));
    const QString summary = summaryStatement(u"2024"_qs);
    EXPECT_TRUE(summary.startsWith(u"SELECT D.DMKKOD,"_qs));
    EXPECT_TRUE(summary.contains(u"AS TOPAKTIFDEGER  FROM  (SELECT DMKKOD"_qs));
    EXPECT_TRUE(summary.endsWith(u"'2024'   ) AS D  GROUP BY D.DMKKOD,D.DMKCINSI,D.DMKAMORTYUZDE,"
                                 u"D.DMKGIRTARIH,D.DMKGIRTUTAR,D.DMKAMORTSURE,D.DMKAMORTBITIS,"
                                 u"D.DMHYIL "_qs));
    // An apostrophe in the year is doubled: the pattern stays one literal.
    EXPECT_EQ(detailStatement(u"20'24"_qs).count(u"LIKE '20''24'"_qs), 4);
}

class AssetReportTest : public WithSharedStandin<testing::Test> {
protected:
    static void SetUpTestSuite() {
        WithSharedStandin::SetUpTestSuite();
        RawConnection c(server().odbcString());
        RawStatement(c).run("CREATE DATABASE KUZ_RAPOR_2024");
        RawStatement(c).run("USE KUZ_RAPOR_2024\r\n" + fixture());
    }

    AssetReportTest() {
        connection.setConnectionString(
            u"Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=KUZ_RAPOR_2024;Password="_qs +
            QString::fromLatin1(StandinServer::password) + u";Data Source="_qs +
            QString::fromStdString(server().address()));
        report.setFields(assetReportFields());
    }

    void open(const QString& statement) {
        report.setSql(statement);
        report.open();
    }

    // The rows of the open report by card, year and period: "A 2024 3".
    std::map<std::string, qsizetype> rowsByKey() {
        std::map<std::string, qsizetype> rows;
        for (qsizetype r = 0; r < report.recordCount(); ++r) {
            const std::string key =
                report.asText(report.fieldIndex(u"DMKKOD"_qs), r).toStdString() + " " +
                std::to_string(report.asInt64(report.fieldIndex(u"DMHYIL"_qs), r)) + " " +
                report.asText(report.fieldIndex(u"DONEM"_qs), r).toStdString();
            EXPECT_EQ(rows.count(key), 0u) << "duplicate row " << key;
            rows[key] = r;
        }
        return rows;
    }

    void expectValues(qsizetype row, int base, int period, bool son4Zero, const std::string& what) {
        for (const auto& [name, v] : expected(base, period, son4Zero)) {
            const int field = report.fieldIndex(QString::fromStdString(name));
            if (report.fieldKind(field) == FieldKind::Decimal)
                EXPECT_EQ(text(report.asDecimal(field, row).scaled), text(v))
                    << what << " " << name;
            else
                EXPECT_DOUBLE_EQ(report.asDouble(field, row), (Decimal{v, 9}.toDouble()))
                    << what << " " << name;
        }
    }

    Connection connection;
    Query report{connection, u"ADOQuery11"_qs};
};

TEST_F(AssetReportTest, TheDetailHasFourRowsPerRecordWithThePeriodsColumns) {
    open(detailStatement(u"2024"_qs));
    const auto rows = rowsByKey();
    std::vector<std::string> keys;
    for (const auto& [key, row] : rows)
        keys.push_back(key);
    // C is disposed, D's record not deductible, G has none; B's two equal records merge.
    EXPECT_EQ(keys, (std::vector<std::string>{"A 2024 1", "A 2024 2", "A 2024 3", "A 2024 4",
                                              "B 2024 1", "B 2024 2", "B 2024 3", "B 2024 4",
                                              "H 2024 1", "H 2024 2", "H 2024 3", "H 2024 4"}));
    for (int p = 1; p <= 4; ++p) {
        expectValues(rows.at("A 2024 " + std::to_string(p)), 1000, p, true, "A");
        expectValues(rows.at("B 2024 " + std::to_string(p)), 3000, p, false, "B");
    }
    // The card's columns in every row, with the declared kinds.
    report.setPosition(rows.at("A 2024 2"));
    EXPECT_EQ(report.asText(u"DMKCINSI"_qs), u"Bilgisayar A ğüşıöç"_qs);
    EXPECT_EQ(report.asDecimal(u"DMKGIRTUTAR"_qs).toString(), u"123456.789123456"_qs);
    EXPECT_EQ(report.asDateTime(u"DMKGIRTARIH"_qs).date(), QDate(2021, 3, 15));
    EXPECT_EQ(report.asInt(u"DMKAMORTSURE"_qs), 5);
    EXPECT_EQ(report.fieldName(7), u"DONEM"_qs); // declared before DMHYIL
    report.setPosition(rows.at("H 2024 1"));
    EXPECT_TRUE(report.isNull(u"DMKGIRTARIH"_qs));
    EXPECT_TRUE(report.isNull(u"DMKCINSI"_qs));
}

TEST_F(AssetReportTest, TheSummarySumsEachCardAndYearOnce) {
    open(summaryStatement(u"2024"_qs));
    const auto rows = rowsByKey();
    ASSERT_EQ(rows.size(), 3u);
    expectValues(rows.at("A 2024 0"), 1000, 0, true, "A");
    expectValues(rows.at("B 2024 0"), 3000, 0, false, "B"); // the equal records count once
    expectValues(rows.at("H 2024 0"), 8000, 0, false, "H");
}

TEST_F(AssetReportTest, TheYearIsAPattern) {
    struct Case {
        QString year;
        size_t detail, summary;
    };
    const Case cases[] = {{u"2024"_qs, 12, 3},
                          {u"202%"_qs, 20, 5}, // A 2023 and E 2021 as well
                          {u"%"_qs, 24, 6},    // and F 2019
                          {u""_qs, 0, 0},
                          {u"1900"_qs, 0, 0},
                          {u"2024' OR '1'='1"_qs, 0, 0}}; // only text to the pattern
    for (const Case& c : cases) {
        open(detailStatement(c.year));
        EXPECT_EQ(rowsByKey().size(), c.detail) << c.year.toStdString();
        open(summaryStatement(c.year));
        EXPECT_EQ(rowsByKey().size(), c.summary) << c.year.toStdString();
    }
    open(summaryStatement(u"202%"_qs));
    expectValues(rowsByKey().at("A 2023 0"), 2000, 0, false, "A 2023");
}

TEST_F(AssetReportTest, TheWorkbookHoldsTheCaptionsAndOneTypedRowPerRecord) {
    TempFolder dir;
    open(detailStatement(u"2024"_qs));
    const auto rows = rowsByKey();
    const auto file = dir / "KUZ_RAPOR_2024_Detay.xlsx";
    exportAssetWorkbook(report, [&] { return file; });
    EXPECT_TRUE(report.eof());
    int sheets = 0;
    const auto cells = readWorkbook(file, &sheets);
    EXPECT_EQ(sheets, 1);
    const char* captions[] = {"KOD",
                              "AÇIKLAMA",
                              "AMORT YÜZ.",
                              "GİRİŞ TAR.",
                              "GİRİŞ TUTAR",
                              "AMROT.SÜRE",
                              "AMORT.BİTİŞ",
                              "DÖNEM",
                              "YIL",
                              "DÜZ.ÖNC.AKTİF",
                              "DÜZ.SON.AKTİF",
                              "AKTİF FARK",
                              "DEĞ.ART.FON",
                              "DÜZ.ÖNC.BİRİK.FARK",
                              "DÜZ.SON.BİRİK.FARK",
                              "BİRİKMİŞ FARK",
                              "AYRILAN AMORT.",
                              "AMORT.ORAN",
                              "DÜZ.KAT SAYISI",
                              "TOP.BİRİK.AMORT.",
                              "TOP.AKTİF DEĞER"};
    for (int c = 1; c <= 21; ++c) {
        const Cell& cell = cells.at("1," + std::to_string(c));
        EXPECT_EQ(cell.kind, "text");
        EXPECT_EQ(cell.value, captions[c - 1]);
    }
    // Record k of the query is in row k + 1; nothing below the last.
    EXPECT_EQ(cells.count("13,1"), 1u);
    EXPECT_EQ(cells.count("14,1"), 0u);
    for (int c = 22; c <= 30; ++c)
        EXPECT_EQ(cells.count("1," + std::to_string(c)), 0u);

    const std::string a3 = std::to_string(rows.at("A 2024 3") + 2);
    EXPECT_EQ(cells.at(a3 + ",1").value, "A");
    EXPECT_EQ(cells.at(a3 + ",4").kind, "date");
    EXPECT_EQ(cells.at(a3 + ",4").value, "2021-03-15T00:00:00");
    EXPECT_EQ(cells.at(a3 + ",6").kind, "number");
    EXPECT_EQ(cells.at(a3 + ",8").value, "3.0");    // DONEM, as a number
    EXPECT_EQ(cells.at(a3 + ",9").value, "2024.0"); // DMHYIL
    // Full double precision from the exact decimals.
    EXPECT_EQ(cells.at(a3 + ",5").value, "123456.789123456");
    EXPECT_EQ(cells.at(a3 + ",12").value, "1023.123456789"); // AKTIFFARK3 = 1000 + 20 + 3
    EXPECT_EQ(cells.at(a3 + ",10").value, "0.0");
    const std::string a4 = std::to_string(rows.at("A 2024 4") + 2);
    EXPECT_EQ(cells.at(a4 + ",11").value, "1004.123456789"); // closing 0: the opening value
    EXPECT_EQ(cells.at(a4 + ",20").value, "3182.370370367"); // 1044.1… + 1064.1… + 1074.1…
    // NULL text and date leave their cells empty.
    const std::string h1 = std::to_string(rows.at("H 2024 1") + 2);
    EXPECT_EQ(cells.count(h1 + ",2"), 0u);
    EXPECT_EQ(cells.count(h1 + ",4"), 0u);
    EXPECT_EQ(cells.at(h1 + ",1").value, "H");
}

TEST_F(AssetReportTest, AnEmptyReportHasOnlyItsCaptionsAndAFailedSaveLeavesNoFile) {
    TempFolder dir;
    open(summaryStatement(u"1900"_qs));
    const auto file = workbookPath(dir.path(), u"KUZ_RAPOR_2024"_qs, u"_Ozet.xlsx"_qs);
    EXPECT_EQ(file, dir / "KUZ_RAPOR_2024_Ozet.xlsx");
    exportAssetWorkbook(report, [&] { return file; });
    const auto cells = readWorkbook(file);
    EXPECT_EQ(cells.size(), 21u);
    EXPECT_EQ(cells.at("1,21").value, "TOP.AKTİF DEĞER");

    // The same name again replaces the file.
    open(summaryStatement(u"2024"_qs));
    exportAssetWorkbook(report, [&] { return file; });
    EXPECT_EQ(readWorkbook(file).size(), 21u * 4 - 2); // H has no description and no date

    // Saving into a folder that refuses it leaves the old file and no temporary one.
    const auto before = readFile(file);
    {
        ImmutableFolder locked(dir.path());
        open(detailStatement(u"2024"_qs));
        try {
            exportAssetWorkbook(report, [&] { return file; });
            FAIL() << "saved into an immutable folder";
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot save the workbook " + file.string());
        }
    }
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    // A report whose declared field is missing fails before any workbook is opened.
    report.setSql(u"SELECT DMKKOD FROM DEMKART"_qs);
    EXPECT_THROW(report.open(), DbError);
}

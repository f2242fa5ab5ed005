// Exporting 100,000 report rows to a workbook: the program's export against a bare
// libxlsxwriter loop writing the same cells from plain arrays, and against a short openpyxl
// script (what a user would write instead) writing the same rows. Prints the ratios
// (target against the bare loop: at most 1.2).
#include "AssetSheet.h"
#include "AssetStatements.h"
#include "Connection.h"
#include "Query.h"
#include "Spreadsheet.h"
#include "support/RawOdbc.h"
#include "support/StandinServer.h"
#include "support/TestFolders.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <xlsxwriter.h>

using namespace kuz;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int cards = 1000, copies = 100; // 100,000 rows

double seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The report's rows as plain values, for the baselines.
struct Rows {
    std::vector<std::array<std::string, 3>> texts; // KOD, CINSI, DONEM
    std::vector<std::array<double, 15>> numbers;   // columns 3, 5, 10 to 21
    std::vector<std::array<int, 3>> integers;      // AMORTSURE, AMORTBITIS, YIL
    std::vector<double> dates;
};

Rows plainRows(Query& q) {
    Rows r;
    const auto& columns = assetSheetColumns();
    for (q.first(); !q.eof(); q.next()) {
        const qsizetype row = q.position();
        std::array<std::string, 3> t;
        std::array<double, 15> n{};
        std::array<int, 3> i{};
        size_t tn = 0, nn = 0, in = 0;
        for (const SheetColumn& c : columns) {
            const int f = q.fieldIndex(c.field);
            if (c.field == u"DONEM"_qs)
                t[2] = q.asText(f, row).toStdString();
            else if (c.kind == CellKind::Text)
                t[tn++] = q.asText(f, row).toStdString();
            else if (c.kind == CellKind::Number)
                n[nn++] = q.asDouble(f, row);
            else if (c.kind == CellKind::Integer)
                i[in++] = static_cast<int>(q.asInt64(f, row));
            else
                r.dates.push_back(spreadsheetSerial(q.asDateTime(f, row)));
        }
        r.texts.push_back(t);
        r.numbers.push_back(n);
        r.integers.push_back(i);
    }
    return r;
}

double bareLibxlsxwriter(const Rows& r, const std::string& file) {
    const auto start = Clock::now();
    lxw_workbook* book = workbook_new(file.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");
    for (lxw_col_t c = 0; c < 21; ++c)
        worksheet_write_string(sheet, 0, c, assetSheetColumns()[c].caption.toUtf8().constData(),
                               nullptr);
    for (size_t k = 0; k < r.texts.size(); ++k) {
        const auto row = static_cast<lxw_row_t>(k + 1);
        worksheet_write_string(sheet, row, 0, r.texts[k][0].c_str(), nullptr);
        worksheet_write_string(sheet, row, 1, r.texts[k][1].c_str(), nullptr);
        worksheet_write_number(sheet, row, 2, r.numbers[k][0], nullptr);
        worksheet_write_number(sheet, row, 3, r.dates[k], date);
        worksheet_write_number(sheet, row, 4, r.numbers[k][1], nullptr);
        worksheet_write_number(sheet, row, 5, r.integers[k][0], nullptr);
        worksheet_write_number(sheet, row, 6, r.integers[k][1], nullptr);
        worksheet_write_number(sheet, row, 7, std::stoi(r.texts[k][2]), nullptr);
        worksheet_write_number(sheet, row, 8, r.integers[k][2], nullptr);
        for (lxw_col_t c = 9; c < 21; ++c)
            worksheet_write_number(sheet, row, c, r.numbers[k][c - 7], nullptr);
    }
    workbook_close(book);
    return seconds(start);
}

const char* const openpyxlScript = R"(
import sys, datetime, openpyxl
book = openpyxl.Workbook()
sheet = book.active
lines = open(sys.argv[1], encoding='utf-8').read().split('\n')
sheet.append(lines[0].split('\t'))
base = datetime.datetime(1899, 12, 30)
for number, line in enumerate(lines[1:], start=2):
    if not line:
        continue
    f = line.split('\t')
    row = [f[0], f[1], float(f[2]), base + datetime.timedelta(days=float(f[3])), float(f[4]),
           int(f[5]), int(f[6]), int(f[7]), int(f[8])] + [float(x) for x in f[9:]]
    sheet.append(row)
    sheet.cell(row=number, column=4).number_format = 'dd.mm.yyyy'
book.save(sys.argv[2])
)";

double openpyxl(const Rows& r, const test::TempFolder& dir) {
    {
        std::ofstream tsv(dir / "rows.tsv");
        for (size_t c = 0; c < 21; ++c)
            tsv << (c ? "\t" : "") << assetSheetColumns()[c].caption.toStdString();
        tsv << "\n";
        char number[32];
        for (size_t k = 0; k < r.texts.size(); ++k) {
            auto num = [&](double v) {
                std::snprintf(number, sizeof number, "%.17g", v);
                return std::string(number);
            };
            tsv << r.texts[k][0] << '\t' << r.texts[k][1] << '\t' << num(r.numbers[k][0]) << '\t'
                << num(r.dates[k]) << '\t' << num(r.numbers[k][1]) << '\t' << r.integers[k][0]
                << '\t' << r.integers[k][1] << '\t' << r.texts[k][2] << '\t' << r.integers[k][2];
            for (size_t c = 2; c < 15; ++c)
                tsv << '\t' << num(r.numbers[k][c]);
            tsv << '\n';
        }
        std::ofstream(dir / "write.py") << openpyxlScript;
    }
    const auto start = Clock::now();
    const std::string command = "/usr/bin/python3 '" + (dir / "write.py").string() + "' '" +
                                (dir / "rows.tsv").string() + "' '" +
                                (dir / "openpyxl.xlsx").string() + "'";
    if (std::system(command.c_str()) != 0)
        return -1;
    return seconds(start);
}

} // namespace

int main() {
    test::StandinServer server;
    {
        test::RawConnection c(server.odbcString());
        test::RawStatement(c).run("CREATE DATABASE KUZ_EXPORT_2024");
        std::string sql = "USE KUZ_EXPORT_2024\r\nCREATE TABLE N (K int)\r\n"
                          "CREATE TABLE DEMKART (DMKKOD nvarchar(40), DMKCINSI nvarchar(80), "
                          "DMKAMORTYUZDE decimal(28,9), DMKGIRTARIH datetime, DMKGIRTUTAR "
                          "decimal(28,9), DMKAMORTSURE int, DMKAMORTBITIS int)\r\n";
        for (int k = 0; k < copies; ++k)
            sql += "INSERT INTO N VALUES (" + std::to_string(k) + ")\r\n";
        for (int k = 0; k < cards; ++k)
            sql += "INSERT INTO DEMKART VALUES (N'DMB-" + std::to_string(1000 + k) +
                   "', N'Bilgisayar ve çevre birimi', 20, '2023-03-15 00:00:00', " +
                   std::to_string(15000 + k) + ".123456789, 5, 2027)\r\n";
        test::RawStatement(c).run(sql);
    }
    Connection connection;
    connection.setConnectionString(
        u"Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=KUZ_EXPORT_2024;Password="_qs +
        QString::fromLatin1(test::StandinServer::password) + u";Data Source="_qs +
        QString::fromStdString(server.address()));
    Query report(connection, u"ADOQuery11"_qs);
    report.setFields(assetReportFields());
    // The report's 21 columns, with period values derived from the card and the copy.
    QString select = u"SELECT DMKKOD, DMKCINSI, DMKAMORTYUZDE, DMKGIRTARIH, DMKGIRTUTAR, "
                     u"DMKAMORTSURE, DMKAMORTBITIS, 2024 AS DMHYIL, '1' AS DONEM"_qs;
    for (const char* name : {"DMHDUZONCAKTIF1", "DMHDUZSONAKTIF1", "DMHAKTIFFARK1", "DMHDEGARTFON1",
                             "DMHDUZONCBIRIK1", "DMHDUZSONBIRIK1", "DMHBIRIKFARK1", "DMHAYRILAN1",
                             "DMHAMORTORAN1", "DMHDUZKATSAYI1", "TOPBIRAMORT", "TOPAKTIFDEGER"})
        select += u", DMKGIRTUTAR * (K + 1) / 7 AS "_qs + QString::fromLatin1(name);
    report.setSql(select + u" FROM DEMKART, N"_qs);
    report.open();
    if (report.recordCount() != cards * copies) {
        std::fprintf(stderr, "unexpected result: %lld rows\n",
                     static_cast<long long>(report.recordCount()));
        return 1;
    }
    const Rows rows = plainRows(report);
    test::TempFolder dir;

    double ours = 1e9, bare = 1e9;
    for (int round = 0; round < 2; ++round) {
        bare = std::min(bare, bareLibxlsxwriter(rows, (dir / "bare.xlsx").string()));
        const auto start = Clock::now();
        exportAssetWorkbook(report, [&] { return dir / "ours.xlsx"; });
        ours = std::min(ours, seconds(start));
    }
    const double python = openpyxl(rows, dir);
    std::printf("export %lld report rows x 21 columns\n",
                static_cast<long long>(report.recordCount()));
    std::printf("  bare libxlsxwriter loop  %.2f s\n", bare);
    std::printf("  the program's export     %.2f s\n", ours);
    std::printf("  openpyxl script          %.2f s\n", python);
    std::printf("  ratio to bare loop       %.2f (target <= 1.2)\n", ours / bare);
    std::printf("  ratio to openpyxl        %.2f\n", ours / python);
    return 0;
}

#include "AssetSheet.h"

#include "Query.h"
#include "Spreadsheet.h"

#include <stdexcept>

namespace kuz {

const std::vector<SheetColumn>& assetSheetColumns() {
    using K = CellKind;
    static const std::vector<SheetColumn> columns = {
        {u"KOD"_qs, u"DMKKOD"_qs, K::Text},
        {u"AÇIKLAMA"_qs, u"DMKCINSI"_qs, K::Text},
        {u"AMORT YÜZ."_qs, u"DMKAMORTYUZDE"_qs, K::Number},
        {u"GİRİŞ TAR."_qs, u"DMKGIRTARIH"_qs, K::Date},
        {u"GİRİŞ TUTAR"_qs, u"DMKGIRTUTAR"_qs, K::Number},
        {u"AMROT.SÜRE"_qs, u"DMKAMORTSURE"_qs, K::Integer},
        {u"AMORT.BİTİŞ"_qs, u"DMKAMORTBITIS"_qs, K::Integer},
        {u"DÖNEM"_qs, u"DONEM"_qs, K::Integer},
        {u"YIL"_qs, u"DMHYIL"_qs, K::Integer},
        {u"DÜZ.ÖNC.AKTİF"_qs, u"DMHDUZONCAKTIF1"_qs, K::Number},
        {u"DÜZ.SON.AKTİF"_qs, u"DMHDUZSONAKTIF1"_qs, K::Number},
        {u"AKTİF FARK"_qs, u"DMHAKTIFFARK1"_qs, K::Number},
        {u"DEĞ.ART.FON"_qs, u"DMHDEGARTFON1"_qs, K::Number},
        {u"DÜZ.ÖNC.BİRİK.FARK"_qs, u"DMHDUZONCBIRIK1"_qs, K::Number},
        {u"DÜZ.SON.BİRİK.FARK"_qs, u"DMHDUZSONBIRIK1"_qs, K::Number},
        {u"BİRİKMİŞ FARK"_qs, u"DMHBIRIKFARK1"_qs, K::Number},
        {u"AYRILAN AMORT."_qs, u"DMHAYRILAN1"_qs, K::Number},
        {u"AMORT.ORAN"_qs, u"DMHAMORTORAN1"_qs, K::Number},
        {u"DÜZ.KAT SAYISI"_qs, u"DMHDUZKATSAYI1"_qs, K::Number},
        {u"TOP.BİRİK.AMORT."_qs, u"TOPBIRAMORT"_qs, K::Number},
        {u"TOP.AKTİF DEĞER"_qs, u"TOPAKTIFDEGER"_qs, K::Number},
    };
    return columns;
}

void writeAssetSheet(Spreadsheet& sheet, Query& report) {
    const std::vector<SheetColumn>& columns = assetSheetColumns();
    report.first();
    for (size_t c = 0; c < columns.size(); ++c)
        sheet.writeText(1, static_cast<int>(c) + 1, columns[c].caption);
    // Each column's field is found once; a missing one fails before any record is written.
    std::vector<int> fields;
    for (const SheetColumn& column : columns)
        fields.push_back(report.fieldIndex(column.field));
    int row = 2;
    for (; !report.eof(); report.next(), ++row) {
        const qsizetype r = report.position();
        for (size_t c = 0; c < columns.size(); ++c) {
            const int field = fields[c];
            const int column = static_cast<int>(c) + 1;
            const bool null = report.isNull(field, r);
            switch (columns[c].kind) {
            case CellKind::Text:
                if (!null)
                    sheet.writeText(row, column, report.asText(field, r));
                break;
            case CellKind::Integer:
                sheet.writeInteger(row, column, report.asInt(field, r));
                break;
            case CellKind::Number:
                sheet.writeNumber(row, column, null ? 0.0 : report.asDouble(field, r));
                break;
            case CellKind::Date:
                if (!null)
                    sheet.writeDate(row, column, report.asDateTime(field, r));
                break;
            }
        }
    }
}

std::filesystem::path workbookPath(const std::filesystem::path& folder, const QString& database,
                                   const QString& suffix) {
    return folder / (database + suffix).toStdString();
}

void exportAssetWorkbook(Query& report, const std::function<std::filesystem::path()>& fileName) {
    const std::unique_ptr<Spreadsheet> spreadsheet = openSpreadsheet();
    spreadsheet->newWorkbook();
    writeAssetSheet(*spreadsheet, report);
    spreadsheet->saveAs(fileName());
    spreadsheet->close();
    spreadsheet->quit();
}

} // namespace kuz

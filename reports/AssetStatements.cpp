#include "AssetStatements.h"

#include "DatabaseList.h"

namespace kuz {
namespace {

QString blanks(int count) {
    return QString(count, u' ');
}

// The seven constant pieces of the two statements. A run of blanks is written as blanks(n) so
// that its length can be read; the server receives every blank as it stands.

const QString& summaryHead() {
    static const QString piece =
        u"SELECT D.DMKKOD,D.DMKCINSI,D.DMKAMORTYUZDE,D.DMKGIRTARIH,D.DMKGIRTUTAR,"
        u"D.DMKAMORTSURE,D.DMKAMORTBITIS,DMHYIL,'0' AS DONEM,"
        u"SUM(D.DMHDUZONCAKTIF1)AS DMHDUZONCAKTIF1,"
        u"SUM(D.DMHDUZSONAKTIF1) AS DMHDUZSONAKTIF1,"
        u"SUM(D.DMHAKTIFFARK1) AS DMHAKTIFFARK1,SUM(D.DMHDEGARTFON1)AS DMHDEGARTFON1,"
        u"SUM(D.DMHDUZONCBIRIK1) AS DMHDUZONCBIRIK1,"
        u"SUM(D.DMHDUZSONBIRIK1)AS DMHDUZSONBIRIK1,"
        u"SUM(D.DMHBIRIKFARK1)AS DMHBIRIKFARK1,SUM(D.DMHAYRILAN1)as DMHAYRILAN1,"
        u"SUM(D.DMHAMORTORAN1)AS DMHAMORTORAN1,"
        u"SUM(D.DMHDUZKATSAYI1) AS DMHDUZKATSAYI1,SUM(D.TOPBIRAMORT) AS TOPBIRAMORT,"
        u"SUM(D.TOPAKTIFDEGER) AS TOPAKTIFDEGER"_qs +
        blanks(2) + u"FROM"_qs + blanks(2) + u"("_qs;
    return piece;
}

const QString& period1() {
    static const QString piece =
        u"SELECT DMKKOD,DMKCINSI,DMKAMORTYUZDE,DMKGIRTARIH,DMKGIRTUTAR,DMKAMORTSURE,"
        u"DMKAMORTBITIS,DMHYIL,'1' AS DONEM,DMHDUZONCAKTIF1,0 AS DMHDUZSONAKTIF1,"
        u"DMHAKTIFFARK1,DMHDEGARTFON1,DMHDUZONCBIRIK1,0 AS DMHDUZSONBIRIK1,"
        u"DMHBIRIKFARK1,DMHAYRILAN1,DMHAMORTORAN1,DMHDUZKATSAYI1,0 AS TOPBIRAMORT,"
        u"0 AS TOPAKTIFDEGER"_qs +
        blanks(2) +
        u"FROM DEMKART JOIN DEMHAR ON DMHDEMKOD=DMKKOD WHERE DMKCIKISFLAG=0 AND DMHKKEGFLAG=0 AND DMHYIL LIKE '"_qs;
    return piece;
}

const QString& period2() {
    static const QString piece =
        u"'"_qs + blanks(2) + u"UNION"_qs + blanks(307) +
        u"SELECT DMKKOD,DMKCINSI,DMKAMORTYUZDE,DMKGIRTARIH,DMKGIRTUTAR,DMKAMORTSURE,"
        u"DMKAMORTBITIS,DMHYIL,'2' AS DONEM,0 AS DMHDUZONCAKTIF2,0 AS DMHDUZSONAKTIF2,"
        u"DMHAKTIFFARK2,DMHDEGARTFON2,0 AS DMHDUZONCBIRIK2,0 AS DMHDUZSONBIRIK2,"
        u"DMHBIRIKFARK2,DMHAYRILAN2,DMHAMORTORAN2,DMHDUZKATSAYI2,0 AS TOPBIRAMORT,"
        u"0 AS TOPAKTIFDEGER"_qs +
        blanks(2) + u"FROM DEMKART JOIN DEMHAR ON DMHDEMKOD=DMKKOD"_qs + blanks(3) +
        u"WHERE DMKCIKISFLAG=0 AND DMHKKEGFLAG=0 AND DMHYIL LIKE '"_qs;
    return piece;
}

const QString& period3() {
    static const QString piece =
        u"'"_qs + blanks(6) + u"UNION"_qs + blanks(307) +
        u"SELECT DMKKOD,DMKCINSI,DMKAMORTYUZDE,DMKGIRTARIH,DMKGIRTUTAR,DMKAMORTSURE,"
        u"DMKAMORTBITIS,DMHYIL,'3' AS DONEM,0 AS DMHDUZONCAKTIF3,0 AS DMHDUZSONAKTIF3,"
        u"DMHAKTIFFARK3,DMHDEGARTFON3,0 AS DMHDUZONCBIRIK3,0 AS DMHDUZSONBIRIK3,"
        u"DMHBIRIKFARK3,DMHAYRILAN3,DMHAMORTORAN3,DMHDUZKATSAYI3,0 AS TOPBIRAMORT,"
        u"0 AS TOPAKTIFDEGER"_qs +
        blanks(2) + u"FROM DEMKART JOIN DEMHAR ON DMHDEMKOD=DMKKOD"_qs + blanks(3) +
        u"WHERE DMKCIKISFLAG=0 AND DMHKKEGFLAG=0 AND DMHYIL LIKE '"_qs;
    return piece;
}

const QString& period4() {
    static const QString piece =
        u"'"_qs + blanks(4) + u"UNION"_qs + blanks(307) +
        u"SELECT DMKKOD,DMKCINSI,DMKAMORTYUZDE,DMKGIRTARIH,DMKGIRTUTAR,DMKAMORTSURE,"
        u"DMKAMORTBITIS,DMHYIL,'4' AS DONEM,0 AS DMHDUZONCAKTIF4,"
        u"CASE DMHDUZSONAKTIF4 WHEN 0 THEN DMHDUZONCAKTIF4"_qs +
        blanks(2) +
        u"ELSE DMHDUZSONAKTIF4 END AS DMHDUZSONAKTIF4,DMHAKTIFFARK4,DMHDEGARTFON4,"
        u"0 AS DMHDUZONCBIRIK4,DMHDUZSONBIRIK4,DMHBIRIKFARK4,DMHAYRILAN4,"
        u"DMHAMORTORAN4,DMHDUZKATSAYI4,"
        u"(DMHDUZONCBIRIK4+DMHBIRIKFARK4+DMHAYRILAN4) AS TOPBIRAMORT,"
        u"CASE DMHDUZSONAKTIF4 WHEN 0 THEN DMHDUZONCAKTIF4"_qs +
        blanks(2) + u"ELSE DMHDUZSONAKTIF4 END AS TOPAKTIFDEGER"_qs + blanks(2) +
        u"FROM DEMKART JOIN DEMHAR ON DMHDEMKOD=DMKKOD"_qs + blanks(2) +
        u"WHERE DMKCIKISFLAG=0 AND DMHKKEGFLAG=0 AND DMHYIL LIKE '"_qs;
    return piece;
}

const QString& detailEnd() {
    static const QString piece = u"'"_qs + blanks(3);
    return piece;
}

const QString& summaryEnd() {
    static const QString piece =
        u"'"_qs + blanks(3) + u") AS D"_qs + blanks(2) +
        u"GROUP BY D.DMKKOD,D.DMKCINSI,D.DMKAMORTYUZDE,D.DMKGIRTARIH,D.DMKGIRTUTAR,"
        u"D.DMKAMORTSURE,D.DMKAMORTBITIS,D.DMHYIL "_qs;
    return piece;
}

} // namespace

QString detailStatement(const QString& year) {
    const QString y = sqlLiteralText(year);
    return period1() + y + period2() + y + period3() + y + period4() + y + detailEnd();
}

QString summaryStatement(const QString& year) {
    const QString y = sqlLiteralText(year);
    return summaryHead() + period1() + y + period2() + y + period3() + y + period4() + y +
           summaryEnd();
}

std::vector<FieldDef> assetReportFields() {
    auto decimal = [](const char16_t* name) {
        return FieldDef{QString::fromUtf16(name), FieldKind::Decimal, 28, 9};
    };
    return {{u"DMKKOD"_qs, FieldKind::Text, 40},
            {u"DMKCINSI"_qs, FieldKind::Text, 80},
            decimal(u"DMKAMORTYUZDE"),
            {u"DMKGIRTARIH"_qs, FieldKind::DateTime},
            decimal(u"DMKGIRTUTAR"),
            {u"DMKAMORTSURE"_qs, FieldKind::Integer},
            {u"DMKAMORTBITIS"_qs, FieldKind::Integer},
            {u"DONEM"_qs, FieldKind::Text, 5},
            {u"DMHYIL"_qs, FieldKind::Integer},
            decimal(u"DMHDUZONCAKTIF1"),
            decimal(u"DMHDUZSONAKTIF1"),
            decimal(u"DMHAKTIFFARK1"),
            decimal(u"DMHDEGARTFON1"),
            decimal(u"DMHDUZONCBIRIK1"),
            decimal(u"DMHDUZSONBIRIK1"),
            decimal(u"DMHBIRIKFARK1"),
            decimal(u"DMHAYRILAN1"),
            decimal(u"DMHAMORTORAN1"),
            decimal(u"DMHDUZKATSAYI1"),
            {u"TOPBIRAMORT"_qs, FieldKind::Real},
            {u"TOPAKTIFDEGER"_qs, FieldKind::Real}};
}

} // namespace kuz

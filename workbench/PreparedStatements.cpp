#include "PreparedStatements.h"

#include "DatabaseList.h"

namespace kuz {

QString eLedgerSettingsStatement() {
    return QStringLiteral(
        "SELECT * FROM SABITLER WHERE SABITMODUL='22' AND SABITKONU>='38' ORDER BY SABITKONU ");
}

QString eInvoiceSettingsStatement() {
    return QStringLiteral(
        "SELECT * FROM SABITLER WHERE SABITMODUL='25' AND SABITKONU>='40' ORDER BY SABITKONU ");
}

QString voucherLinesStatement(const QString& reference) {
    return QStringLiteral(" SELECT MUHHAREVRAKTAR,MUHHAREVRAKNO,MUHHARMUHKOD,MUHHARACIKLAMA,"
                          "MUHHARBATIPI,MUHHARBELTUR,MUHHARTUTAR FROM MUHHAR WHERE MUHHARREFNO='") +
           sqlLiteralText(reference) +
           QStringLiteral("' GROUP BY MUHHAREVRAKTAR,MUHHAREVRAKNO,MUHHARMUHKOD,MUHHARACIKLAMA,"
                          "MUHHARBATIPI,MUHHARBELTUR,MUHHARTUTAR  ORDER BY MUHHAREVRAKNO,"
                          "MUHHARBATIPI ");
}

} // namespace kuz

#pragma once

#include <QString>

namespace kuz {

// The ready-made statements the three buttons put into the memo.
QString eLedgerSettingsStatement();
QString eInvoiceSettingsStatement();
// The lines of one voucher by its reference number; apostrophes in it are doubled, so any
// text is compared as typed.
QString voucherLinesStatement(const QString& reference);

} // namespace kuz

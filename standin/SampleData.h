#pragma once

#include <filesystem>

namespace standin {

// Creates a fresh data folder: the three master databases and four companies' databases for
// the given year and the year before, each with fixed-asset cards and their movements, voucher
// lines and the e-ledger and e-invoice settings rows. Existing sample files are replaced.
void createSampleData(const std::filesystem::path& folder, int year);

} // namespace standin

#pragma once

#include <string>
#include <string_view>

namespace standin {

// TDS carries text as UTF-16LE; SQLite and the rest of the stand-in work in UTF-8.
std::string utf16leToUtf8(std::string_view bytes);
std::string utf8ToUtf16le(std::string_view text);
// The number of UTF-16 code units the text needs.
size_t utf16Length(std::string_view text);

// The value between two quote characters, a quote inside it written twice ('it''s', "a""b").
std::string quoteWith(std::string_view value, char quote);

std::string toUpperAscii(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

} // namespace standin

#include "Values.h"

#include "Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace standin {

bool parseDeclaredType(const std::string& declared, ColumnType& type) {
    std::string upper = toUpperAscii(declared);
    std::string name = upper.substr(0, upper.find('('));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    int a = 0, b = 0;
    bool hasArgs = false;
    if (size_t open = upper.find('('); open != std::string::npos) {
        hasArgs = true;
        const char* p = upper.c_str() + open + 1;
        a = static_cast<int>(std::strtol(p, nullptr, 10));
        if (const char* comma = std::strchr(p, ','))
            b = static_cast<int>(std::strtol(comma + 1, nullptr, 10));
    }
    // Decimal columns are stored with a REAL marker so that SQLite keeps them as reals.
    if (name.rfind("DECIMAL", 0) == 0 || name.rfind("NUMERIC", 0) == 0) {
        type = {SqlType::Decimal, hasArgs ? a : 18, hasArgs ? b : 0, 0};
    } else if (name.rfind("MONEY", 0) == 0 || name.rfind("SMALLMONEY", 0) == 0) {
        type = {SqlType::Decimal, 19, 4, 0};
    } else if (name == "INT" || name == "INTEGER" || name == "SMALLINT" || name == "TINYINT") {
        type = {SqlType::Int, 0, 0, 0};
    } else if (name == "BIGINT") {
        type = {SqlType::BigInt, 0, 0, 0};
    } else if (name == "BIT") {
        type = {SqlType::Bit, 0, 0, 0};
    } else if (name == "FLOAT" || name == "REAL" || name == "DOUBLE") {
        type = {SqlType::Float, 0, 0, 0};
    } else if (name == "DATETIME" || name == "DATE" || name == "SMALLDATETIME" ||
               name == "DATETIME2") {
        type = {SqlType::DateTime, 0, 0, 0};
    } else if (name == "NVARCHAR" || name == "VARCHAR" || name == "NCHAR" || name == "CHAR" ||
               name == "TEXT" || name == "NTEXT" || name == "SYSNAME") {
        int length = name == "SYSNAME" ? 128
                     : hasArgs         ? a
                                       : (name.find("TEXT") != std::string::npos ? -1 : 1);
        if (length <= 0 || length > 4000)
            length = -1;
        type = {SqlType::NVarChar, 0, 0, length};
    } else if (name == "VARBINARY" || name == "BINARY" || name == "BLOB" || name == "IMAGE") {
        int length = hasArgs && a > 0 && a <= 8000 ? a : -1;
        type = {SqlType::VarBinary, 0, 0, length};
    } else {
        return false;
    }
    return true;
}

namespace {

bool scaleDigits(const std::string& text, int scale, Int128& scaled) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    Int128 value = 0;
    int fraction = -1; // digits after the point, -1 before it
    bool any = false, roundUp = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.' && fraction < 0) {
            fraction = 0;
            continue;
        }
        if (c < '0' || c > '9')
            break;
        any = true;
        if (fraction >= scale) {
            if (fraction == scale)
                roundUp = c >= '5';
            ++fraction;
            continue;
        }
        value = value * 10 + (c - '0');
        if (fraction >= 0)
            ++fraction;
        if (value > (static_cast<Int128>(1) << 124))
            return false;
    }
    int exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E'))
        exponent = static_cast<int>(std::strtol(text.c_str() + i + 1, nullptr, 10));
    if (!any)
        return false;
    int have = fraction < 0 ? 0 : std::min(fraction, scale);
    if (exponent != 0)
        return false; // handled by the caller through the double path
    for (int k = have; k < scale; ++k)
        value *= 10;
    if (roundUp)
        value += 1;
    scaled = negative ? -value : value;
    return true;
}

} // namespace

bool toScaledDecimal(const Value& value, int scale, Int128& scaled) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        scaled = *i;
        for (int k = 0; k < scale; ++k)
            scaled *= 10;
        return true;
    }
    if (const auto* d = std::get_if<double>(&value)) {
        if (!std::isfinite(*d))
            return false;
        // SQLite keeps about 15 significant digits: those are the digits the value has.
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15g", *d);
        std::string text = buffer;
        if (text.find_first_of("eE") != std::string::npos) {
            std::snprintf(buffer, sizeof buffer, "%.*f", std::min(scale, 30), *d);
            text = buffer;
        }
        return scaleDigits(text, scale, scaled);
    }
    if (const auto* s = std::get_if<std::string>(&value))
        return scaleDigits(*s, scale, scaled);
    return false;
}

namespace {

std::int32_t daysFromCivil(int y, int m, int d) {
    // Howard Hinnant's days-from-civil, shifted to 1900-01-01.
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int32_t since1970 = era * 146097 + doe - 719468;
    return since1970 + 25567;
}

} // namespace

bool parseDateTime(const std::string& text, std::int32_t& days, std::uint32_t& ticks) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    double s = 0;
    char sep = 0;
    int n = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%lf", &y, &mo, &d, &sep, &h, &mi, &s);
    if (n < 3 || (n > 3 && n < 6) || (n >= 4 && sep != ' ' && sep != 'T'))
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s >= 60)
        return false;
    days = daysFromCivil(y, mo, d);
    double seconds = h * 3600.0 + mi * 60.0 + s;
    ticks = static_cast<std::uint32_t>(std::llround(seconds * 300.0));
    return true;
}

} // namespace standin

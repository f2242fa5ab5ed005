#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace standin {

// Decimal(38) values need 128 bits; GCC's extension type holds them.
__extension__ using Int128 = __int128;
__extension__ using UInt128 = unsigned __int128;

// The SQL Server types the stand-in reports in its column metadata.
enum class SqlType { Int, BigInt, Bit, Float, Decimal, NVarChar, DateTime, VarBinary };

struct ColumnType {
    SqlType type = SqlType::Int;
    int precision = 0; // Decimal
    int scale = 0;     // Decimal
    int maxLength = 0; // NVarChar: characters; VarBinary: bytes; -1 stands for MAX
};

struct Blob {
    std::string bytes;
};

// A value as SQLite holds it: NULL, integer, real, UTF-8 text or bytes.
using Value = std::variant<std::monostate, std::int64_t, double, std::string, Blob>;

struct Column {
    std::string name;
    ColumnType type;
};

// Reads a declared type such as "decimal(28,9)", "nvarchar(40)" or "datetime"; false when the
// text names no type the stand-in knows.
bool parseDeclaredType(const std::string& declared, ColumnType& type);

// A decimal value as its scaled integer: the digits the value has, rounded half away from zero
// at the scale. False when the value is not a number.
bool toScaledDecimal(const Value& value, int scale, Int128& scaled);

// Days since 1900-01-01 and three-hundredths of a second since midnight, as a DATETIME holds
// them. False when the text is no date.
bool parseDateTime(const std::string& text, std::int32_t& days, std::uint32_t& ticks);

} // namespace standin

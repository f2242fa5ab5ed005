#include "Query.h"

#include "Connection.h"
#include "Odbc.h"

#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace kuz {
namespace {

bool parseScaled(const char* text, int scale, Int128& out) {
    bool negative = false;
    const char* p = text;
    while (*p == ' ')
        ++p;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';
    Int128 value = 0;
    int fraction = -1;
    bool any = false;
    bool roundUp = false;
    for (; *p; ++p) {
        if (*p == '.' && fraction < 0) {
            fraction = 0;
            continue;
        }
        if (*p < '0' || *p > '9')
            return false;
        any = true;
        if (fraction >= scale) {
            // A digit past the kept places rounds the last kept one, half away from zero.
            if (fraction == scale && *p >= '5')
                roundUp = true;
            if (fraction == scale)
                ++fraction;
            continue;
        }
        value = value * 10 + (*p - '0');
        if (fraction >= 0)
            ++fraction;
    }
    for (int k = std::max(fraction, 0); k < scale; ++k)
        value *= 10;
    if (roundUp)
        ++value;
    out = negative ? -value : value;
    return any;
}

} // namespace

namespace {

// The decimal's digits with its point, into the end of a buffer; returns where they begin.
char* writeDigits(const Decimal& d, char* end) {
    char* p = end;
    Int128 v = d.scaled < 0 ? -d.scaled : d.scaled;
    int digits = 0;
    do {
        if (digits == d.scale && d.scale > 0)
            *--p = '.';
        *--p = static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
        ++digits;
    } while (v != 0 || digits <= d.scale);
    if (d.scaled < 0)
        *--p = '-';
    return p;
}

} // namespace

QString Decimal::toString() const {
    char text[64];
    const char* begin = writeDigits(*this, text + sizeof text);
    return QString::fromLatin1(begin, text + sizeof text - begin);
}

std::int64_t Decimal::truncated() const {
    Int128 v = scaled;
    for (int k = 0; k < scale; ++k)
        v /= 10;
    return static_cast<std::int64_t>(v);
}

double Decimal::toDouble() const {
    // Through the digits, so the double is the one nearest to the exact value.
    char text[64];
    double out = 0;
    std::from_chars(writeDigits(*this, text + sizeof text), text + sizeof text, out);
    return out;
}

Query::Query(Connection& connection, QString name)
    : connection_(connection), name_(std::move(name)) {}

void Query::fail(const QString& message) const {
    throw DbError((name_ + QStringLiteral(": ") + message).toStdString());
}

void Query::setSql(const QString& text) {
    close();
    sql_ = text;
}

QString batchText(const QString& sql) {
    if (sql.isEmpty())
        return {};
    QStringList lines = sql.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    // A text ending in a line break has no empty line after it.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

void Query::close() {
    const bool wasOpen = open_;
    open_ = false;
    columns_.clear();
    rows_ = 0;
    current_ = 0;
    if (wasOpen)
        emit notifier_.changed();
}

void Query::execute() {
    run(false);
}

void Query::open() {
    run(true);
}

void Query::setFields(std::vector<FieldDef> fields) {
    close();
    declared_ = std::move(fields);
}

namespace {

FieldKind kindOf(SQLSMALLINT type) {
    switch (type) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_BIT:
        return FieldKind::Integer;
    case SQL_DOUBLE:
    case SQL_FLOAT:
    case SQL_REAL:
        return FieldKind::Real;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return FieldKind::Decimal;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_DATETIME:
        return FieldKind::DateTime;
    default:
        return FieldKind::Text;
    }
}

bool isTextType(SQLSMALLINT type) {
    switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return true;
    default:
        return false;
    }
}

// Whether a column of the server's type may fill a declared field of the kind.
bool accepts(FieldKind declared, SQLSMALLINT type) {
    switch (declared) {
    case FieldKind::Real:
    case FieldKind::Decimal:
        return kindOf(type) == FieldKind::Real || kindOf(type) == FieldKind::Decimal;
    case FieldKind::Integer:
        return type == SQL_INTEGER || type == SQL_SMALLINT || type == SQL_TINYINT;
    case FieldKind::DateTime:
        return kindOf(type) == FieldKind::DateTime;
    case FieldKind::Text:
        return isTextType(type);
    }
    return false;
}

QString kindName(FieldKind kind) {
    switch (kind) {
    case FieldKind::Integer:
        return QStringLiteral("Integer");
    case FieldKind::Real:
        return QStringLiteral("Float");
    case FieldKind::Decimal:
        return QStringLiteral("BCD");
    case FieldKind::DateTime:
        return QStringLiteral("DateTime");
    case FieldKind::Text:
        return QStringLiteral("WideString");
    }
    return {};
}

QString typeName(SQLSMALLINT type) {
    switch (type) {
    case SQL_BIGINT:
        return QStringLiteral("Largeint");
    case SQL_BIT:
        return QStringLiteral("Boolean");
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return QStringLiteral("Bytes");
    case SQL_GUID:
        return QStringLiteral("Guid");
    default:
        return isTextType(type) || kindOf(type) != FieldKind::Text ? kindName(kindOf(type))
                                                                   : QStringLiteral("Variant");
    }
}

double parseDouble(const char* text) {
    double v = 0;
    while (*text == ' ')
        ++text;
    if (*text == '+')
        ++text;
    // from_chars: the nearest double, whatever the process's locale says about commas.
    const auto [end, error] = std::from_chars(text, text + std::strlen(text), v);
    if (error != std::errc() || *end != '\0')
        throw DbError(std::string("'") + text + "' is not a valid floating point value");
    return v;
}

} // namespace

void Query::run(bool wantRows) {
    close();
    const QString text = commandText();
    if (text.isEmpty())
        fail(QStringLiteral("Missing SQL property"));
    connection_.open();
    OdbcHandle stmt(SQL_HANDLE_STMT, static_cast<SQLHANDLE>(connection_.nativeHandle()));
    SQLRETURN rc = SQLExecDirectW(stmt.get(), wide(text), SQL_NTS);
    bool found = false;
    rowsAffected_ = -1;
    // Every result is looked at, so that an error of a later statement is not lost.
    while (rc != SQL_NO_DATA) {
        check(rc, stmt, "The statement failed");
        SQLSMALLINT count = 0;
        check(SQLNumResultCols(stmt.get(), &count), stmt, "The statement failed");
        if (wantRows && count > 0) {
            found = true;
            break;
        }
        SQLLEN changed = -1;
        if (count == 0 && SQL_SUCCEEDED(SQLRowCount(stmt.get(), &changed)) && changed >= 0)
            rowsAffected_ = std::max<std::int64_t>(rowsAffected_, 0) + changed;
        rc = SQLMoreResults(stmt.get());
    }
    if (!wantRows)
        return;
    if (!found)
        fail(QStringLiteral("CommandText does not return a result set"));

    SQLSMALLINT count = 0;
    SQLNumResultCols(stmt.get(), &count);
    std::vector<Column> described(static_cast<size_t>(count));
    for (SQLSMALLINT i = 0; i < count; ++i) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, type = 0, scale = 0, nullable = 0;
        SQLULEN size = 0;
        check(SQLDescribeColW(stmt.get(), static_cast<SQLUSMALLINT>(i + 1), name, 256, &nameLength,
                              &type, &size, &scale, &nullable),
              stmt, "The result could not be described");
        Column& c = described[static_cast<size_t>(i)];
        c.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(name));
        c.scale = scale;
        c.sqlType = type;
        c.kind = kindOf(type);
    }

    // The stored columns and, for each, the result column it is read from.
    std::vector<Column> columns;
    std::vector<SQLUSMALLINT> sources;
    if (declared_.empty()) {
        columns = std::move(described);
        for (SQLSMALLINT i = 0; i < count; ++i)
            sources.push_back(static_cast<SQLUSMALLINT>(i + 1));
    } else {
        for (const FieldDef& field : declared_) {
            const auto match = std::find_if(described.begin(), described.end(), [&](auto& c) {
                return c.name.compare(field.name, Qt::CaseInsensitive) == 0;
            });
            if (match == described.end())
                fail(QStringLiteral("Field '%1' not found").arg(field.name));
            if (!accepts(field.kind, match->sqlType))
                fail(QStringLiteral("Type mismatch for field '%1', expecting: %2 actual: %3")
                         .arg(field.name, kindName(field.kind), typeName(match->sqlType)));
            for (const Column& earlier : columns)
                if (earlier.name.compare(field.name, Qt::CaseInsensitive) == 0)
                    fail(QStringLiteral("Duplicate field name '%1'").arg(field.name));
            Column c;
            c.name = field.name;
            c.kind = field.kind;
            c.scale = field.kind == FieldKind::Decimal ? field.scale : match->scale;
            c.sqlType = match->sqlType;
            columns.push_back(std::move(c));
            sources.push_back(static_cast<SQLUSMALLINT>(match - described.begin() + 1));
        }
    }
    // ODBC drivers give a row's columns in ascending order only.
    std::vector<size_t> order(columns.size());
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return sources[a] < sources[b]; });

    qsizetype rows = 0;
    for (;;) {
        rc = SQLFetch(stmt.get());
        if (rc == SQL_NO_DATA)
            break;
        check(rc, stmt, "The rows could not be fetched");
        for (const size_t k : order)
            fetchValue(stmt, sources[k], columns[k]);
        ++rows;
    }
    // Later results are not read.
    SQLFreeStmt(stmt.get(), SQL_CLOSE);
    columns_ = std::move(columns);
    rows_ = rows;
    current_ = 0;
    open_ = true;
    emit notifier_.changed();
}

void Query::fetchValue(const OdbcHandle& stmt, unsigned short n, Column& c) const {
    SQLLEN indicator = 0;
    bool null = false;
    switch (c.kind) {
    case FieldKind::Integer: {
        std::int64_t v = 0;
        check(SQLGetData(stmt.get(), n, SQL_C_SBIGINT, &v, 0, &indicator), stmt, "fetch");
        null = indicator == SQL_NULL_DATA;
        c.integers.push_back(null ? 0 : v);
        break;
    }
    case FieldKind::Real: {
        double v = 0;
        if (kindOf(c.sqlType) == FieldKind::Decimal) {
            // Through the decimal's text, so the double is the one nearest to its exact value.
            char text[64] = {};
            check(SQLGetData(stmt.get(), n, SQL_C_CHAR, text, sizeof text, &indicator), stmt,
                  "fetch");
            null = indicator == SQL_NULL_DATA;
            if (!null)
                v = parseDouble(text);
        } else {
            check(SQLGetData(stmt.get(), n, SQL_C_DOUBLE, &v, 0, &indicator), stmt, "fetch");
            null = indicator == SQL_NULL_DATA;
        }
        c.reals.push_back(null ? 0 : v);
        break;
    }
    case FieldKind::Decimal: {
        char text[64] = {};
        if (kindOf(c.sqlType) == FieldKind::Real) {
            double v = 0;
            check(SQLGetData(stmt.get(), n, SQL_C_DOUBLE, &v, 0, &indicator), stmt, "fetch");
            const auto written =
                std::to_chars(text, text + sizeof text - 1, v, std::chars_format::fixed, c.scale);
            *written.ptr = '\0';
        } else {
            check(SQLGetData(stmt.get(), n, SQL_C_CHAR, text, sizeof text, &indicator), stmt,
                  "fetch");
        }
        null = indicator == SQL_NULL_DATA;
        Int128 v = 0;
        if (!null && !parseScaled(text, c.scale, v))
            fail(QStringLiteral("The value of field '%1' is not a number").arg(c.name));
        c.decimals.push_back(v);
        break;
    }
    case FieldKind::DateTime: {
        SQL_TIMESTAMP_STRUCT t{};
        check(SQLGetData(stmt.get(), n, SQL_C_TYPE_TIMESTAMP, &t, sizeof t, &indicator), stmt,
              "fetch");
        null = indicator == SQL_NULL_DATA;
        QDateTime d(QDate(t.year, t.month, t.day),
                    QTime(t.hour, t.minute, t.second, static_cast<int>(t.fraction / 1000000)));
        c.integers.push_back(null ? 0 : d.toMSecsSinceEpoch());
        break;
    }
    case FieldKind::Text: {
        // Long texts come in pieces; SQL_NO_DATA ends them.
        for (;;) {
            char16_t buffer[2048];
            SQLRETURN g = SQLGetData(stmt.get(), n, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
            if (g == SQL_NO_DATA)
                break;
            check(g, stmt, "fetch");
            if (indicator == SQL_NULL_DATA) {
                null = true;
                break;
            }
            const size_t chars =
                indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer)
                    ? std::size(buffer) - 1
                    : static_cast<size_t>(indicator) / 2;
            c.textData.append(buffer, chars);
            if (g == SQL_SUCCESS)
                break;
        }
        c.textEnds.push_back(c.textData.size());
        break;
    }
    }
    c.nulls.push_back(null);
}

QStringView Query::Column::text(size_t row) const {
    const size_t begin = row == 0 ? 0 : textEnds[row - 1];
    return QStringView(textData.data() + begin, static_cast<qsizetype>(textEnds[row] - begin));
}

int Query::fieldIndex(const QString& name) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    fail(QStringLiteral("Field '%1' not found").arg(name));
}

bool Query::isNull(int field, qsizetype row) const {
    if (row < 0 || row >= rows_)
        return true; // no current record: every field reads as empty
    return columns_[static_cast<size_t>(field)].nulls[static_cast<size_t>(row)];
}

QString Query::asText(int field, qsizetype row) const {
    if (row < 0 || row >= rows_)
        return {};
    const Column& c = columns_[static_cast<size_t>(field)];
    const auto r = static_cast<size_t>(row);
    if (c.nulls[r])
        return {};
    switch (c.kind) {
    case FieldKind::Integer:
        return QString::number(c.integers[r]);
    case FieldKind::Real:
        return QString::number(c.reals[r], 'g', 17);
    case FieldKind::Decimal:
        return Decimal{c.decimals[r], c.scale}.toString();
    case FieldKind::DateTime:
        return QDateTime::fromMSecsSinceEpoch(c.integers[r]).toString(Qt::ISODateWithMs);
    case FieldKind::Text:
        return c.text(r).toString();
    }
    return {};
}

std::int64_t Query::asInt64(int field, qsizetype row) const {
    if (row < 0 || row >= rows_)
        return 0;
    const Column& c = columns_[static_cast<size_t>(field)];
    const auto r = static_cast<size_t>(row);
    if (c.nulls[r])
        return 0;
    switch (c.kind) {
    case FieldKind::Integer:
        return c.integers[r];
    case FieldKind::Real:
        return static_cast<std::int64_t>(c.reals[r]);
    case FieldKind::Decimal:
        return Decimal{c.decimals[r], c.scale}.truncated();
    case FieldKind::Text: {
        bool ok = false;
        const qlonglong v = c.text(r).trimmed().toLongLong(&ok);
        if (!ok)
            fail(QStringLiteral("'%1' is not a valid integer value").arg(c.text(r)));
        return v;
    }
    case FieldKind::DateTime:
        break;
    }
    fail(QStringLiteral("Field '%1' is not an integer").arg(c.name));
}

int Query::asInt(int field, qsizetype row) const {
    const std::int64_t v = asInt64(field, row);
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        fail(QStringLiteral("The value of field '%1' does not fit an integer")
                 .arg(columns_[static_cast<size_t>(field)].name));
    return static_cast<int>(v);
}

double Query::asDouble(int field, qsizetype row) const {
    if (row < 0 || row >= rows_)
        return 0;
    const Column& c = columns_[static_cast<size_t>(field)];
    const auto r = static_cast<size_t>(row);
    if (c.nulls[r])
        return 0;
    switch (c.kind) {
    case FieldKind::Integer:
        return static_cast<double>(c.integers[r]);
    case FieldKind::Real:
        return c.reals[r];
    case FieldKind::Decimal:
        return Decimal{c.decimals[r], c.scale}.toDouble();
    case FieldKind::Text: {
        bool ok = false;
        const double v = c.text(r).trimmed().toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("'%1' is not a valid floating point value").arg(c.text(r)));
        return v;
    }
    case FieldKind::DateTime:
        break;
    }
    fail(QStringLiteral("Field '%1' is not a number").arg(c.name));
}

Decimal Query::asDecimal(int field, qsizetype row) const {
    if (row < 0 || row >= rows_)
        return Decimal{0, columns_[static_cast<size_t>(field)].scale};
    const Column& c = columns_[static_cast<size_t>(field)];
    const auto r = static_cast<size_t>(row);
    if (c.kind == FieldKind::Decimal)
        return c.nulls[r] ? Decimal{0, c.scale} : Decimal{c.decimals[r], c.scale};
    if (c.kind == FieldKind::Integer)
        return Decimal{c.nulls[r] ? 0 : c.integers[r], 0};
    fail(QStringLiteral("Field '%1' is not an exact decimal").arg(c.name));
}

QDateTime Query::asDateTime(int field, qsizetype row) const {
    if (row < 0 || row >= rows_)
        return {};
    const Column& c = columns_[static_cast<size_t>(field)];
    const auto r = static_cast<size_t>(row);
    if (c.kind != FieldKind::DateTime)
        fail(QStringLiteral("Field '%1' is not a date and time").arg(c.name));
    return c.nulls[r] ? QDateTime() : QDateTime::fromMSecsSinceEpoch(c.integers[r]);
}

} // namespace kuz

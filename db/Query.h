#pragma once

#include "QueryNotifier.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

namespace kuz {

class Connection;
class OdbcHandle;

__extension__ using Int128 = __int128;

// An exact decimal: its digits as a scaled integer, as the server sent them.
struct Decimal {
    Int128 scaled = 0;
    int scale = 0;

    QString toString() const;
    double toDouble() const;
    // The whole part, cut toward zero, without going through a double.
    std::int64_t truncated() const;
};

enum class FieldKind { Integer, Real, Decimal, DateTime, Text };

// A field the query declares before it opens, bound to the result's column of the same name.
// Numeric kinds (Real, Decimal) accept one another, whatever their precision and scale; Integer
// takes the integer columns of up to 32 bits; DateTime the date and time columns; Text every
// text column. A declared decimal keeps the declared number of decimal places.
struct FieldDef {
    QString name;
    FieldKind kind;
    int size = 0;  // characters of a text, precision of a decimal
    int scale = 0; // decimal places of a decimal
};

// A SQL text as a query sends it: its lines, each followed by CR LF; empty for an empty text.
QString batchText(const QString& sql);

// A query object on the connection, with the semantics the commands rely on: assigning a SQL
// text closes it (also for the same text); the text reaches the server as one batch with every
// line break CR LF and one CR LF at its end; open takes the first result that has columns and
// fetches all its rows; execute runs the batch and drops any rows. A closed connection is
// opened first with the string it holds. Its own errors begin with its name.
class Query {
public:
    Query(Connection& connection, QString name);

    void setSql(const QString& text);
    const QString& sql() const { return sql_; }
    // The batch as sent: the lines of the SQL text, each followed by CR LF.
    QString commandText() const { return batchText(sql_); }

    // With declared fields, open binds them by name and the query's fields are these, in this
    // order; columns of the result without a declared field are left out. Empty: the fields
    // are the result's own columns.
    void setFields(std::vector<FieldDef> fields);
    const std::vector<FieldDef>& declaredFields() const { return declared_; }

    void execute();
    // Rows the last execute or open changed, summed over the batch's statements that report a
    // count (UPDATE, INSERT, DELETE, SELECT INTO...); -1 when none did.
    std::int64_t rowsAffected() const { return rowsAffected_; }
    void open();
    void close();
    // Signals changed() whenever the query opens or closes.
    QueryNotifier& notifier() { return notifier_; }
    bool isOpen() const { return open_; }

    qsizetype recordCount() const { return rows_; }
    void first() { current_ = 0; }
    void next() { current_ = std::min(current_ + 1, rows_); }
    bool eof() const { return current_ >= rows_; }
    qsizetype position() const { return current_; }
    void setPosition(qsizetype row) { current_ = row; }

    int fieldCount() const { return static_cast<int>(columns_.size()); }
    QString fieldName(int i) const { return columns_[static_cast<size_t>(i)].name; }
    FieldKind fieldKind(int i) const { return columns_[static_cast<size_t>(i)].kind; }
    // Throws "<query>: Field '<name>' not found".
    int fieldIndex(const QString& name) const;

    bool isNull(int field, qsizetype row) const;
    QString asText(int field, qsizetype row) const;
    std::int64_t asInt64(int field, qsizetype row) const;
    // A 32-bit integer; a value outside that range fails.
    int asInt(int field, qsizetype row) const;
    double asDouble(int field, qsizetype row) const;
    Decimal asDecimal(int field, qsizetype row) const;
    QDateTime asDateTime(int field, qsizetype row) const;

    // The same at the current record, by field name.
    bool isNull(const QString& field) const { return isNull(fieldIndex(field), current_); }
    QString asText(const QString& field) const { return asText(fieldIndex(field), current_); }
    int asInt(const QString& field) const { return asInt(fieldIndex(field), current_); }
    double asDouble(const QString& field) const { return asDouble(fieldIndex(field), current_); }
    Decimal asDecimal(const QString& field) const { return asDecimal(fieldIndex(field), current_); }
    QDateTime asDateTime(const QString& field) const {
        return asDateTime(fieldIndex(field), current_);
    }

private:
    // Rows are kept column by column, each value in its own kind: integers and date-times
    // (milliseconds since the epoch, local time) as 64-bit integers, reals as doubles,
    // decimals as scaled 128-bit integers, and the texts of a column one after the other in a
    // single UTF-16 buffer with the end of each, so a million short texts are not a million
    // allocations.
    struct Column {
        QString name;
        FieldKind kind = FieldKind::Text;
        int scale = 0;
        short sqlType = 0; // the server's type, as ODBC names it
        std::vector<bool> nulls;
        std::vector<std::int64_t> integers;
        std::vector<double> reals;
        std::vector<Int128> decimals;
        std::u16string textData;
        std::vector<std::size_t> textEnds;

        QStringView text(size_t row) const;
    };

    [[noreturn]] void fail(const QString& message) const;
    void run(bool wantRows);
    void fetchValue(const OdbcHandle& stmt, unsigned short column, Column& into) const;

    Connection& connection_;
    QString name_;
    std::vector<FieldDef> declared_;
    QString sql_;
    bool open_ = false;
    std::vector<Column> columns_;
    qsizetype rows_ = 0;
    qsizetype current_ = 0;
    std::int64_t rowsAffected_ = -1;
    QueryNotifier notifier_;
};

} // namespace kuz

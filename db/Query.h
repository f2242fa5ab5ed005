#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace kuz {

class Connection;

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
    QString commandText() const;

    void execute();
    void open();
    void close();
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
    double asDouble(int field, qsizetype row) const;
    Decimal asDecimal(int field, qsizetype row) const;
    QDateTime asDateTime(int field, qsizetype row) const;

    // The same at the current record, by field name.
    bool isNull(const QString& field) const { return isNull(fieldIndex(field), current_); }
    QString asText(const QString& field) const { return asText(fieldIndex(field), current_); }
    int asInt(const QString& field) const;
    double asDouble(const QString& field) const { return asDouble(fieldIndex(field), current_); }
    Decimal asDecimal(const QString& field) const { return asDecimal(fieldIndex(field), current_); }
    QDateTime asDateTime(const QString& field) const {
        return asDateTime(fieldIndex(field), current_);
    }

private:
    // Rows are kept column by column, each value in its own kind: integers and date-times
    // (milliseconds since the epoch, local time) as 64-bit integers, reals as doubles,
    // decimals as scaled 128-bit integers, text as QString.
    struct Column {
        QString name;
        FieldKind kind;
        int scale = 0;
        std::vector<bool> nulls;
        std::vector<std::int64_t> integers;
        std::vector<double> reals;
        std::vector<Int128> decimals;
        std::vector<QString> texts;
    };

    [[noreturn]] void fail(const QString& message) const;
    void run(bool wantRows);

    Connection& connection_;
    QString name_;
    QString sql_;
    bool open_ = false;
    std::vector<Column> columns_;
    qsizetype rows_ = 0;
    qsizetype current_ = 0;
};

} // namespace kuz

#include "Engine.h"

#include "Text.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <sqlite3.h>
#include <thread>

namespace standin {
namespace {

const char* const systemDatabases[] = {"master", "tempdb", "model", "msdb"};

// Database names may hold any character; only those a file name cannot are escaped.
std::string encodeFileName(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c == '/' || c == '%' || (c == '.' && i == 0)) {
            char buffer[4];
            std::snprintf(buffer, sizeof buffer, "%%%02X", static_cast<unsigned char>(c));
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + ".sqlite";
}

std::string decodeFileName(const std::string& file) {
    std::string stem = file.substr(0, file.size() - 7);
    std::string out;
    for (size_t i = 0; i < stem.size(); ++i) {
        if (stem[i] == '%' && i + 2 < stem.size()) {
            out += static_cast<char>(std::stoi(stem.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += stem[i];
        }
    }
    return out;
}

bool isSystem(const std::string& name) {
    for (const char* s : systemDatabases)
        if (equalsIgnoreCase(name, s))
            return true;
    return false;
}

struct StatementCloser {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Prepared = std::unique_ptr<sqlite3_stmt, StatementCloser>;

std::string afterPrefix(const std::string& message, const std::string& prefix) {
    return message.substr(prefix.size());
}

std::string lastPart(std::string name) {
    if (size_t dot = name.rfind('.'); dot != std::string::npos)
        name = name.substr(dot + 1);
    return name;
}

// SQLite's messages turned into SQL Server's numbers and texts for the common errors.
SqlError mapError(const std::string& message, const Statement& statement) {
    auto starts = [&](const char* p) { return message.rfind(p, 0) == 0; };
    SqlError e(50000, message);
    if (starts("no such table: ")) {
        std::string name = afterPrefix(message, "no such table: ");
        if (name.rfind("main.", 0) == 0)
            name = name.substr(5);
        e = SqlError(208, "Invalid object name '" + name + "'.");
    } else if (starts("no such column: ")) {
        e = SqlError(207, "Invalid column name '" +
                              lastPart(afterPrefix(message, "no such column: ")) + "'.");
    } else if (starts("near \"")) {
        std::string token = message.substr(6, message.find("\": syntax error") - 6);
        e = syntaxErrorNear(token);
    } else if (starts("unrecognized token: \"")) {
        std::string token = message.substr(21, message.size() - 22);
        e = syntaxErrorNear(token);
    } else if (message == "incomplete input") {
        std::vector<const Token*> words = statement.words();
        e = syntaxErrorNear(words.empty() ? std::string() : words.back()->text);
    } else if (starts("UNIQUE constraint failed: ")) {
        std::string column = afterPrefix(message, "UNIQUE constraint failed: ");
        std::string table = column.substr(0, column.find('.'));
        e = SqlError(2627,
                     "Violation of PRIMARY KEY constraint. Cannot insert duplicate key "
                     "in object 'dbo." +
                         table + "'. (" + message + ")",
                     14);
    } else if (starts("NOT NULL constraint failed: ")) {
        std::string column = afterPrefix(message, "NOT NULL constraint failed: ");
        std::string table = column.substr(0, column.find('.'));
        e = SqlError(515, "Cannot insert the value NULL into column '" + lastPart(column) +
                              "', table '" + table + "'; column does not allow nulls.");
    } else if (starts("table ") && message.find(" already exists") != std::string::npos) {
        std::string name = message.substr(6, message.find(" already exists") - 6);
        e = SqlError(2714, "There is already an object named '" + name + "' in the database.");
    } else if (starts("no such function: ")) {
        e = SqlError(195,
                     "'" + afterPrefix(message, "no such function: ") +
                         "' is not a recognized built-in function name.",
                     15);
    }
    e.line = statement.line;
    return e;
}

bool isSyntaxMessage(const std::string& message) {
    return message.find("syntax error") != std::string::npos || message == "incomplete input" ||
           message.rfind("unrecognized token", 0) == 0;
}

Value readColumn(sqlite3_stmt* s, int i) {
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_INTEGER:
        return static_cast<std::int64_t>(sqlite3_column_int64(s, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(s, i);
    case SQLITE_TEXT:
        return std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                           static_cast<size_t>(sqlite3_column_bytes(s, i)));
    case SQLITE_BLOB: {
        const char* p = static_cast<const char*>(sqlite3_column_blob(s, i));
        return Blob{std::string(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(s, i)))};
    }
    default:
        return std::monostate{};
    }
}

// What the rows of a column without a declared type hold, to choose its type.
struct ValueSurvey {
    bool text = false, blob = false, real = false, integer = false, allDates = true;
    std::int64_t minInt = 0, maxInt = 0;
    size_t maxText = 0, maxBlob = 0;

    size_t seen = 0; // values looked at, NULLs included

    void add(const Value& v) {
        ++seen;
        if (const auto* i = std::get_if<std::int64_t>(&v)) {
            minInt = integer ? std::min(minInt, *i) : *i;
            maxInt = integer ? std::max(maxInt, *i) : *i;
            integer = true;
        } else if (std::holds_alternative<double>(v)) {
            real = true;
        } else if (const auto* s = std::get_if<std::string>(&v)) {
            text = true;
            maxText = std::max(maxText, utf16Length(*s));
            std::int32_t d;
            std::uint32_t t;
            allDates = allDates && parseDateTime(*s, d, t);
        } else if (const auto* b = std::get_if<Blob>(&v)) {
            blob = true;
            maxBlob = std::max(maxBlob, b->bytes.size());
        }
    }

    // The widest type of the rows: integer, then decimal, then float; any text makes text.
    // A column named like a table column of the database takes that column's kind where the
    // values allow it (so "0 AS DMHDUZSONAKTIF1" in a union stays a decimal).
    ColumnType choose(const std::optional<ColumnType>& named) const {
        if (blob)
            return {SqlType::VarBinary, 0, 0,
                    maxBlob > 8000 ? -1 : std::max<int>(1, static_cast<int>(maxBlob))};
        if (text) {
            if (named && named->type == SqlType::DateTime && allDates && !real && !integer)
                return *named;
            int length = maxText > 4000 ? -1 : std::max<int>(1, static_cast<int>(maxText));
            return {SqlType::NVarChar, 0, 0, length};
        }
        if (named && named->type == SqlType::Decimal && (real || integer))
            return {SqlType::Decimal, 38, named->scale, 0};
        if (real)
            return {SqlType::Float, 0, 0, 0};
        if (integer) {
            if (named && (named->type == SqlType::Bit || named->type == SqlType::BigInt))
                return *named;
            bool fits = minInt >= INT32_MIN && maxInt <= INT32_MAX;
            return {fits ? SqlType::Int : SqlType::BigInt, 0, 0, 0};
        }
        return named ? *named : ColumnType{SqlType::Int, 0, 0, 0};
    }
};

// Brings a stored value to the column's type; a value that cannot be converted fails the
// statement as SQL Server's conversion errors do.
Value coerce(const Value& v, const ColumnType& type) {
    if (std::holds_alternative<std::monostate>(v))
        return v;
    switch (type.type) {
    case SqlType::Int:
    case SqlType::BigInt:
    case SqlType::Bit:
        if (std::holds_alternative<std::int64_t>(v))
            return v;
        if (const auto* d = std::get_if<double>(&v))
            return static_cast<std::int64_t>(*d);
        if (const auto* s = std::get_if<std::string>(&v)) {
            char* end = nullptr;
            long long n = std::strtoll(s->c_str(), &end, 10);
            if (!s->empty() && end && *end == '\0')
                return static_cast<std::int64_t>(n);
        }
        throw SqlError(245, "Conversion failed when converting a value to data type int.");
    case SqlType::Float:
        if (const auto* i = std::get_if<std::int64_t>(&v))
            return static_cast<double>(*i);
        if (std::holds_alternative<double>(v))
            return v;
        if (const auto* s = std::get_if<std::string>(&v)) {
            char* end = nullptr;
            double d = std::strtod(s->c_str(), &end);
            if (!s->empty() && end && *end == '\0')
                return d;
        }
        throw SqlError(8114, "Error converting data type nvarchar to float.");
    case SqlType::Decimal: {
        Int128 scaled;
        if (!toScaledDecimal(v, type.scale, scaled))
            throw SqlError(8114, "Error converting data type nvarchar to numeric.");
        return v;
    }
    case SqlType::DateTime: {
        std::int32_t d;
        std::uint32_t t;
        const auto* s = std::get_if<std::string>(&v);
        if (!s || !parseDateTime(*s, d, t))
            throw SqlError(241, "Conversion failed when converting date and/or time from "
                                "character string.");
        return v;
    }
    case SqlType::NVarChar:
        if (const auto* i = std::get_if<std::int64_t>(&v))
            return std::to_string(*i);
        if (const auto* d = std::get_if<double>(&v)) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.15g", *d);
            return std::string(buffer);
        }
        if (const auto* b = std::get_if<Blob>(&v))
            return b->bytes;
        return v;
    case SqlType::VarBinary:
        if (const auto* s = std::get_if<std::string>(&v))
            return Blob{*s};
        if (std::holds_alternative<Blob>(v))
            return v;
        throw SqlError(257, "Implicit conversion to varbinary is not allowed.");
    }
    return v;
}

void getDateFunction(sqlite3_context* context, int, sqlite3_value**) {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    int ms = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, ms);
    sqlite3_result_text(context, buffer, -1, SQLITE_TRANSIENT);
}

void dbNameFunction(sqlite3_context* context, int, sqlite3_value**) {
    const auto* name = static_cast<const std::string*>(sqlite3_user_data(context));
    sqlite3_result_text(context, name->c_str(), static_cast<int>(name->size()), SQLITE_TRANSIENT);
}

std::string quoteName(const std::string& name) {
    return quoteWith(name, '"');
}

std::string quoteString(const std::string& value) {
    return quoteWith(value, '\'');
}

// "hh:mm:ss[.mmm]" as milliseconds.
std::optional<long> parseDelay(const std::string& text) {
    int h = 0, m = 0;
    double s = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%lf", &h, &m, &s) < 2)
        return std::nullopt;
    return static_cast<long>((h * 3600 + m * 60) * 1000 + s * 1000);
}

} // namespace

// ---------------------------------------------------------------- Catalog

Catalog::Catalog(std::filesystem::path folder) : folder_(std::move(folder)) {
    std::filesystem::create_directories(folder_);
    for (const char* name : systemDatabases) {
        if (!std::filesystem::exists(fileFor(name)))
            create(name);
    }
}

std::filesystem::path Catalog::fileFor(const std::string& name) const {
    return folder_ / encodeFileName(name);
}

std::optional<std::string> Catalog::find(const std::string& name) const {
    for (const Entry& e : list())
        if (equalsIgnoreCase(e.name, name))
            return e.name;
    return std::nullopt;
}

std::vector<Catalog::Entry> Catalog::list() const {
    std::lock_guard lock(mutex_);
    std::vector<Entry> out;
    for (const char* name : systemDatabases)
        out.push_back({name, fileFor(name), static_cast<int>(out.size()) + 1});
    std::vector<std::string> others;
    for (const auto& item : std::filesystem::directory_iterator(folder_)) {
        std::string file = item.path().filename().string();
        if (file.size() <= 7 || file.substr(file.size() - 7) != ".sqlite")
            continue;
        std::string name = decodeFileName(file);
        if (!isSystem(name))
            others.push_back(name);
    }
    std::sort(others.begin(), others.end());
    for (const std::string& name : others)
        out.push_back({name, fileFor(name), static_cast<int>(out.size()) + 1});
    return out;
}

void Catalog::create(const std::string& name) {
    if (!isSystem(name) && find(name))
        throw SqlError(1801, "Database '" + name +
                                 "' already exists. Choose a different "
                                 "database name.");
    std::lock_guard lock(mutex_);
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(fileFor(name).c_str(), &raw,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    if (rc != SQLITE_OK)
        throw SqlError(1802, "CREATE DATABASE failed for '" + name + "'.");
    // An empty database file is written only at its first change: make it exist now.
    sqlite3_exec(db.get(), "PRAGMA user_version = 1", nullptr, nullptr, nullptr);
}

void Catalog::drop(const std::string& name) {
    std::optional<std::string> found = find(name);
    if (!found || isSystem(*found))
        throw SqlError(3701, "Cannot drop the database '" + name +
                                 "', because it does not exist or you do not have permission.");
    std::lock_guard lock(mutex_);
    std::filesystem::remove(fileFor(*found));
}

// ---------------------------------------------------------------- Session

void Session::SqliteCloser::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

Session::Session(Catalog& catalog, const std::string& database) : catalog_(catalog) {
    std::optional<std::string> found = catalog_.find(database);
    if (!found)
        throw SqlError(4060,
                       "Cannot open database \"" + database +
                           "\" requested by the login. The login failed.",
                       11);
    open(*found);
}

Session::~Session() = default;

void Session::open(const std::string& name) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(catalog_.fileFor(name).c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, SqliteCloser> db(raw);
    if (rc != SQLITE_OK)
        throw SqlError(911, "Database '" + name +
                                "' does not exist. Make sure that the name is "
                                "entered correctly.");
    sqlite3_busy_timeout(db.get(), 10000);
    sqlite3_create_function(db.get(), "GETDATE", 0, SQLITE_UTF8, nullptr, getDateFunction, nullptr,
                            nullptr);
    sqlite3_create_function(db.get(), "DB_NAME", 0, SQLITE_UTF8, &database_, dbNameFunction,
                            nullptr, nullptr);
    sqlite3_exec(db.get(),
                 "CREATE TEMP VIEW sys_tables AS SELECT name, 'U' AS type, "
                 "'USER_TABLE' AS type_desc FROM main.sqlite_master "
                 "WHERE type = 'table' AND name NOT LIKE 'sqlite%';"
                 "CREATE TEMP TABLE sysdatabases (name nvarchar(128), dbid smallint, "
                 "filename nvarchar(260));"
                 "CREATE TEMP TABLE sys_databases (name nvarchar(128), database_id int);"
                 // The standard catalogue views, through which a client finds a table's key.
                 "CREATE TEMP VIEW information_schema_tables AS SELECT DB_NAME() AS TABLE_CATALOG, "
                 "'dbo' AS TABLE_SCHEMA, name AS TABLE_NAME, 'BASE TABLE' AS TABLE_TYPE "
                 "FROM main.sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%';"
                 "CREATE TEMP VIEW information_schema_columns AS SELECT 'dbo' AS TABLE_SCHEMA, "
                 "m.name AS TABLE_NAME, p.name AS COLUMN_NAME, p.cid + 1 AS ORDINAL_POSITION, "
                 "lower(replace(replace(replace(CASE WHEN instr(p.type, '(') > 0 "
                 "THEN substr(p.type, 1, instr(p.type, '(') - 1) ELSE p.type END, 'DECIMALREAL', "
                 "'decimal'), 'NUMERICREAL', 'numeric'), "
                 "'MONEYREAL', 'money')) "
                 "AS DATA_TYPE, CASE p.\"notnull\" WHEN 0 THEN 'YES' ELSE 'NO' END "
                 "AS IS_NULLABLE FROM main.sqlite_master m, pragma_table_info(m.name, 'main') p "
                 "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite%';"
                 "CREATE TEMP VIEW information_schema_table_constraints AS SELECT DISTINCT "
                 "'PK_' || m.name AS CONSTRAINT_NAME, 'dbo' AS TABLE_SCHEMA, m.name AS TABLE_NAME, "
                 "'PRIMARY KEY' AS CONSTRAINT_TYPE FROM main.sqlite_master m, "
                 "pragma_table_info(m.name, 'main') p WHERE m.type = 'table' AND p.pk > 0;"
                 "CREATE TEMP VIEW information_schema_key_column_usage AS SELECT "
                 "'PK_' || m.name AS CONSTRAINT_NAME, 'dbo' AS TABLE_SCHEMA, m.name AS TABLE_NAME, "
                 "p.name AS COLUMN_NAME, p.pk AS ORDINAL_POSITION FROM main.sqlite_master m, "
                 "pragma_table_info(m.name, 'main') p WHERE m.type = 'table' AND p.pk > 0;",
                 nullptr, nullptr, nullptr);
    db_ = std::move(db);
    database_ = name;
    schemaColumns_.reset();
}

void Session::refreshCatalogViews() {
    sqlite3_exec(db_.get(), "DELETE FROM temp.sysdatabases; DELETE FROM temp.sys_databases;",
                 nullptr, nullptr, nullptr);
    for (const Catalog::Entry& e : catalog_.list()) {
        std::string sql = "INSERT INTO temp.sysdatabases VALUES (" + quoteString(e.name) + "," +
                          std::to_string(e.dbid) + "," + quoteString(e.file.string()) +
                          "); INSERT INTO temp.sys_databases VALUES (" + quoteString(e.name) + "," +
                          std::to_string(e.dbid) + ");";
        sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr);
    }
}

const std::map<std::string, ColumnType>& Session::schemaColumns() {
    if (schemaColumns_)
        return *schemaColumns_;
    std::map<std::string, ColumnType> columns;
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(
        db_.get(),
        "SELECT p.name, p.type FROM main.sqlite_master m, pragma_table_info(m.name) p "
        "WHERE m.type = 'table'",
        -1, &raw, nullptr);
    Prepared s(raw);
    while (s && sqlite3_step(s.get()) == SQLITE_ROW) {
        const char* name = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
        const char* declared = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1));
        ColumnType type;
        if (name && declared && parseDeclaredType(declared, type))
            columns.emplace(toUpperAscii(name), type);
    }
    schemaColumns_ = std::move(columns);
    return *schemaColumns_;
}

std::string Session::translate(const Statement& statement) {
    const std::vector<Token>& t = statement.tokens;
    std::vector<const Token*> words = statement.words();
    const bool isDdl = !words.empty() && (words[0]->isWord("CREATE") || words[0]->isWord("ALTER"));
    std::string out;
    std::optional<std::string> limit;
    bool topDone = false;

    auto nextSignificant = [&](size_t i) {
        for (size_t k = i + 1; k < t.size(); ++k)
            if (t[k].significant())
                return k;
        return t.size();
    };
    auto isName = [](const Token& x) {
        return x.kind == Token::Word || x.kind == Token::QuotedName;
    };
    auto nameOf = [](const Token& x) { return x.kind == Token::QuotedName ? x.value : x.text; };

    for (size_t i = 0; i < t.size(); ++i) {
        const Token& tok = t[i];
        // Dotted names: master.dbo.sysdatabases, sys.tables, dbo.X, Db.dbo.X.
        if (isName(tok) && i + 2 < t.size() && t[i + 1].isSymbol('.') &&
            (isName(t[i + 2]) || t[i + 2].isSymbol('.'))) {
            std::vector<std::string> parts{nameOf(tok)};
            std::vector<const Token*> partTokens{&tok};
            size_t k = i + 1;
            while (k + 1 < t.size() && t[k].isSymbol('.')) {
                if (isName(t[k + 1])) {
                    parts.push_back(nameOf(t[k + 1]));
                    partTokens.push_back(&t[k + 1]);
                    k += 2;
                } else if (t[k + 1].isSymbol('.')) {
                    parts.push_back("");
                    partTokens.push_back(nullptr);
                    k += 1;
                } else {
                    break;
                }
            }
            const std::string last = toUpperAscii(parts.back());
            std::string replaced;
            if (last == "SYSDATABASES" || (parts.size() >= 2 && last == "DATABASES" &&
                                           equalsIgnoreCase(parts[parts.size() - 2], "sys"))) {
                replaced = last == "SYSDATABASES" ? "temp.sysdatabases" : "temp.sys_databases";
                needsDatabaseList_ = true;
            } else if (parts.size() >= 2 &&
                       equalsIgnoreCase(parts[parts.size() - 2], "INFORMATION_SCHEMA")) {
                std::string view = "information_schema_" + parts.back();
                for (char& ch : view)
                    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                replaced = "temp." + view;
            } else if (parts.size() >= 2 && last == "TABLES" &&
                       equalsIgnoreCase(parts[parts.size() - 2], "sys")) {
                replaced = "temp.sys_tables";
            } else if (parts.size() >= 2 && (equalsIgnoreCase(parts[parts.size() - 2], "dbo") ||
                                             parts[parts.size() - 2].empty())) {
                replaced = quoteName(parts.back());
            }
            if (!replaced.empty()) {
                out += replaced;
                i = k - 1;
                continue;
            }
        }
        if (tok.kind == Token::Word && (tok.isWord("SYSDATABASES"))) {
            out += "temp.sysdatabases";
            needsDatabaseList_ = true;
            continue;
        }
        if (tok.kind == Token::String) {
            out += quoteString(tok.value);
            continue;
        }
        if (tok.kind == Token::QuotedName) {
            out += quoteName(tok.value);
            continue;
        }
        if (tok.kind == Token::Word) {
            size_t next = nextSignificant(i);
            bool call = next < t.size() && t[next].isSymbol('(');
            if (call && tok.isWord("ISNULL")) {
                out += "ifnull";
                continue;
            }
            if (call && tok.isWord("LEN")) {
                out += "length";
                continue;
            }
            // TOP n of the statement's own SELECT becomes a LIMIT at its end.
            if (!topDone && tok.isWord("TOP") && !words.empty() && words[0]->isWord("SELECT")) {
                topDone = true;
                size_t k = next;
                bool paren = k < t.size() && t[k].isSymbol('(');
                if (paren)
                    k = nextSignificant(k);
                if (k < t.size() && t[k].kind == Token::Number) {
                    limit = t[k].text;
                    i = paren ? nextSignificant(k) : k;
                    continue;
                }
            }
            if (isDdl) {
                if (tok.isWord("DECIMAL") || tok.isWord("NUMERIC") || tok.isWord("MONEY") ||
                    tok.isWord("SMALLMONEY")) {
                    // The REAL marker gives the column real affinity: SQLite would otherwise
                    // store 100.0 as the integer 100 and lose the column's kind in expressions.
                    out += toUpperAscii(tok.text) + "REAL";
                    continue;
                }
                if (tok.isWord("CLUSTERED") || tok.isWord("NONCLUSTERED"))
                    continue;
                if (tok.isWord("MAX") && i > 0 && t[i - 1].isSymbol('(')) {
                    out += "-1";
                    continue;
                }
                if (tok.isWord("IDENTITY") && call) {
                    size_t k = next;
                    while (k < t.size() && !t[k].isSymbol(')'))
                        ++k;
                    i = k;
                    continue;
                }
            }
        }
        if (tok.kind == Token::Variable && equalsIgnoreCase(tok.text, "@@SPID")) {
            out += "1";
            continue;
        }
        if (tok.kind == Token::Variable && equalsIgnoreCase(tok.text, "@@VERSION")) {
            out += "'KUZ stand-in for Microsoft SQL Server (TDS 7.4) on SQLite " +
                   std::string(sqlite3_libversion()) + "'";
            continue;
        }
        out += tok.text;
    }
    if (limit)
        out += " LIMIT " + *limit;
    return out;
}

void Session::execute(const std::string& batch, ResultSink& sink) {
    std::vector<Statement> statements;
    try {
        statements = splitBatch(tokenize(batch));
        // A syntax error anywhere fails the batch before anything runs, as on SQL Server,
        // which compiles the whole batch first.
        for (const Statement& s : statements) {
            std::vector<const Token*> w = s.words();
            static const char* const handled[] = {"USE",   "SET",    "WAITFOR",  "PRINT",
                                                  "BEGIN", "COMMIT", "ROLLBACK", "DECLARE",
                                                  "EXEC",  "EXECUTE"};
            bool ours = false;
            for (const char* h : handled)
                ours = ours || w[0]->isWord(h);
            if (ours || (w.size() > 1 && (w[0]->isWord("CREATE") || w[0]->isWord("DROP")) &&
                         w[1]->isWord("DATABASE")))
                continue;
            std::string sql = translate(s);
            sqlite3_stmt* raw = nullptr;
            if (sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
                std::string message = sqlite3_errmsg(db_.get());
                if (isSyntaxMessage(message))
                    throw mapError(message, s);
            }
            sqlite3_finalize(raw);
        }
        needsDatabaseList_ = false;
    } catch (const SqlError& e) {
        sink.error(e);
        return;
    }
    for (const Statement& s : statements) {
        try {
            runStatement(s, sink);
        } catch (const SqlError& e) {
            SqlError located = e;
            if (located.line == 1)
                located.line = s.line;
            sink.error(located);
            return;
        }
        if (sink.cancelled())
            return;
    }
}

void Session::use(const std::vector<const Token*>& words, ResultSink& sink) {
    if (words.size() < 2)
        throw syntaxErrorNear("USE");
    if (words.size() > 2)
        throw syntaxErrorNear(words[2]->text);
    const Token& n = *words[1];
    if (n.kind != Token::Word && n.kind != Token::QuotedName)
        throw syntaxErrorNear(n.text);
    const std::string name = n.kind == Token::QuotedName ? n.value : n.text;
    std::optional<std::string> found = catalog_.find(name);
    if (!found)
        throw SqlError(911, "Database '" + name +
                                "' does not exist. Make sure that the name is "
                                "entered correctly.");
    const std::string previous = database_;
    open(*found);
    sink.databaseChanged(previous, database_);
    sink.info(5701, "Changed database context to '" + database_ + "'.");
    sink.done(false, 0);
}

void Session::runStatement(const Statement& statement, ResultSink& sink) {
    std::vector<const Token*> w = statement.words();
    auto nameAt = [&](size_t i) {
        if (i >= w.size())
            throw syntaxErrorNear(w.back()->text);
        return w[i]->kind == Token::QuotedName ? w[i]->value : w[i]->text;
    };
    if (w[0]->isWord("USE")) {
        use(w, sink);
    } else if (w.size() > 1 && w[0]->isWord("CREATE") && w[1]->isWord("DATABASE")) {
        catalog_.create(nameAt(2));
        sink.done(false, 0);
    } else if (w.size() > 1 && w[0]->isWord("DROP") && w[1]->isWord("DATABASE")) {
        std::string name = nameAt(2);
        if (equalsIgnoreCase(name, database_))
            throw SqlError(3702,
                           "Cannot drop database \"" + name + "\" because it is currently in use.");
        catalog_.drop(name);
        sink.done(false, 0);
    } else if (w[0]->isWord("SET")) {
        if (w.size() > 2 && w[1]->isWord("NOCOUNT"))
            nocount_ = w[2]->isWord("ON");
        sink.done(false, 0);
    } else if (w[0]->isWord("WAITFOR")) {
        std::optional<long> ms;
        if (w.size() == 3 && w[1]->isWord("DELAY") && w[2]->kind == Token::String)
            ms = parseDelay(w[2]->value);
        if (!ms)
            throw syntaxErrorNear(w.size() > 1 ? w[1]->text : w[0]->text);
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(*ms);
        while (std::chrono::steady_clock::now() < until && !sink.cancelled())
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                std::chrono::milliseconds(5), until - std::chrono::steady_clock::now()));
        sink.done(false, 0);
    } else if (w[0]->isWord("PRINT")) {
        sink.info(0, w.size() > 1 ? (w[1]->kind == Token::String ? w[1]->value : w[1]->text)
                                  : std::string());
        sink.done(false, 0);
    } else if ((w[0]->isWord("BEGIN") || w[0]->isWord("COMMIT") || w[0]->isWord("ROLLBACK")) &&
               (w.size() == 1 || w[1]->isWord("TRAN") || w[1]->isWord("TRANSACTION"))) {
        std::string sql = w[0]->isWord("BEGIN") ? "BEGIN" : toUpperAscii(w[0]->text);
        if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            throw SqlError(3902, sqlite3_errmsg(db_.get()));
        sink.done(false, 0);
    } else if (w[0]->isWord("DECLARE") || w[0]->isWord("EXEC") || w[0]->isWord("EXECUTE") ||
               w[0]->isWord("BEGIN")) {
        throw SqlError(50000, "The stand-in server does not run " + toUpperAscii(w[0]->text) +
                                  " statements.");
    } else {
        runSql(statement, sink);
    }
}

namespace {

// Whether the statement gives the column as a text literal: 'x' AS name.
bool literalTextColumn(const std::vector<const Token*>& w, const std::string& name) {
    for (size_t i = 0; i + 2 < w.size(); ++i)
        if (w[i]->kind == Token::String && w[i + 1]->isWord("AS") &&
            toUpperAscii(w[i + 2]->kind == Token::QuotedName ? w[i + 2]->value : w[i + 2]->text) ==
                toUpperAscii(name))
            return true;
    return false;
}

} // namespace

void Session::runSql(const Statement& statement, ResultSink& sink) {
    const std::string sql = translate(statement);
    if (needsDatabaseList_) {
        refreshCatalogViews();
        needsDatabaseList_ = false;
    }
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        throw mapError(sqlite3_errmsg(db_.get()), statement);
    Prepared s(raw);
    if (!s) { // only a comment
        sink.done(false, 0);
        return;
    }
    auto fail = [&] { return mapError(sqlite3_errmsg(db_.get()), statement); };
    const int count = sqlite3_column_count(s.get());
    std::vector<const Token*> w = statement.words();

    if (count == 0) {
        int rc;
        while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE)
            throw fail();
        if (w[0]->isWord("CREATE") || w[0]->isWord("ALTER") || w[0]->isWord("DROP"))
            schemaColumns_.reset();
        bool dml = w[0]->isWord("INSERT") || w[0]->isWord("UPDATE") || w[0]->isWord("DELETE");
        sink.done(dml && !nocount_, sqlite3_changes64(db_.get()));
        return;
    }

    std::vector<Column> columns(static_cast<size_t>(count));
    std::vector<size_t> untyped;
    for (int i = 0; i < count; ++i) {
        Column& c = columns[static_cast<size_t>(i)];
        c.name = sqlite3_column_name(s.get(), i);
        const char* declared = sqlite3_column_decltype(s.get(), i);
        if (!declared || !parseDeclaredType(declared, c.type))
            untyped.push_back(static_cast<size_t>(i));
    }

    std::vector<std::vector<Value>> buffered;
    bool replay = false;
    if (!untyped.empty()) {
        // The type of an expression column is the widest type of its rows: look at them all
        // first. A read-only statement is run twice; one that changes data is buffered.
        std::vector<ValueSurvey> surveys(untyped.size());
        const bool readOnly = sqlite3_stmt_readonly(s.get()) != 0;
        int rc;
        while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
            std::vector<Value> row;
            if (!readOnly)
                for (int i = 0; i < count; ++i)
                    row.push_back(readColumn(s.get(), i));
            for (size_t k = 0; k < untyped.size(); ++k)
                surveys[k].add(readOnly ? readColumn(s.get(), static_cast<int>(untyped[k]))
                                        : row[untyped[k]]);
            if (!readOnly)
                buffered.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE)
            throw fail();
        const auto& schema = schemaColumns();
        const bool empty = surveys[0].seen == 0;
        for (size_t k = 0; k < untyped.size(); ++k) {
            Column& c = columns[untyped[k]];
            auto it = schema.find(toUpperAscii(c.name));
            c.type = surveys[k].choose(it == schema.end() ? std::nullopt
                                                          : std::optional<ColumnType>(it->second));
            // With no rows there is nothing to look at: a column given as a text literal
            // ("'1' AS DONEM") is text, any other unnamed expression a float.
            if (empty && it == schema.end())
                c.type = literalTextColumn(w, c.name) ? ColumnType{SqlType::NVarChar, 0, 0, 30}
                                                      : ColumnType{SqlType::Float, 0, 0, 0};
        }
        replay = readOnly;
        if (replay)
            sqlite3_reset(s.get());
    }

    sink.columns(columns);
    std::int64_t rows = 0;
    std::vector<Value> row(static_cast<size_t>(count));
    auto send = [&](std::vector<Value>& values) {
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = coerce(values[i], columns[i].type);
        ++rows;
        return sink.row(values);
    };
    if (!untyped.empty() && !replay) {
        for (std::vector<Value>& r : buffered)
            if (!send(r))
                return;
    } else {
        int rc;
        while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
            for (int i = 0; i < count; ++i)
                row[static_cast<size_t>(i)] = readColumn(s.get(), i);
            if (!send(row))
                return;
        }
        if (rc != SQLITE_DONE)
            throw fail();
    }
    sink.done(!nocount_, rows);
}

} // namespace standin

#pragma once

// Bare ODBC calls for tests that check what reaches the client without the program's data
// layer in between.
#include <sql.h>
#include <sqlext.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace kuz::test {

struct OdbcFailure : std::runtime_error {
    OdbcFailure(const std::string& message, std::string state, long native)
        : std::runtime_error(message), sqlState(std::move(state)), nativeError(native) {}
    std::string sqlState;
    long nativeError;
};

inline OdbcFailure diagnose(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR text[2048] = {};
    SQLSMALLINT length = 0;
    std::string message;
    std::string firstState;
    long firstNative = 0;
    for (SQLSMALLINT i = 1;
         SQLGetDiagRecA(type, handle, i, state, &native, text, sizeof text, &length) == SQL_SUCCESS;
         ++i) {
        if (firstState.empty() || firstState == "01000") {
            firstState = reinterpret_cast<char*>(state);
            firstNative = native;
        }
        message += std::string(reinterpret_cast<char*>(text)) + "\n";
    }
    return OdbcFailure(message, firstState, firstNative);
}

class RawConnection {
public:
    explicit RawConnection(const std::string& connectionString, long loginTimeout = 5) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
        SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(loginTimeout),
                          0);
        SQLRETURN rc = SQLDriverConnectA(
            dbc_, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectionString.c_str())),
            SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            OdbcFailure f = diagnose(SQL_HANDLE_DBC, dbc_);
            release();
            throw f;
        }
        connected_ = true;
    }
    ~RawConnection() { release(); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    SQLHDBC handle() const { return dbc_; }

    std::string currentCatalog() const {
        SQLCHAR name[256] = {};
        SQLINTEGER length = 0;
        SQLGetConnectAttrA(dbc_, SQL_ATTR_CURRENT_CATALOG, name, sizeof name, &length);
        return reinterpret_cast<char*>(name);
    }

private:
    void release() {
        if (connected_)
            SQLDisconnect(dbc_);
        if (dbc_)
            SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        if (env_)
            SQLFreeHandle(SQL_HANDLE_ENV, env_);
        dbc_ = env_ = nullptr;
        connected_ = false;
    }
    SQLHENV env_ = nullptr;
    SQLHDBC dbc_ = nullptr;
    bool connected_ = false;
};

// One result of a batch: its columns (with their ODBC types) and rows as text (NULL as "<null>").
struct RawResult {
    std::vector<std::string> names;
    std::vector<SQLSMALLINT> types;
    std::vector<SQLULEN> sizes;
    std::vector<SQLSMALLINT> scales;
    std::vector<std::vector<std::string>> rows;
    SQLLEN rowCount = -1;
};

class RawStatement {
public:
    explicit RawStatement(RawConnection& c) { SQLAllocHandle(SQL_HANDLE_STMT, c.handle(), &stmt_); }
    ~RawStatement() { SQLFreeHandle(SQL_HANDLE_STMT, stmt_); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;

    SQLHSTMT handle() const { return stmt_; }

    // Runs a batch and reads every result, throwing the first error met.
    std::vector<RawResult> run(const std::string& sql) {
        std::u16string wide;
        for (size_t i = 0; i < sql.size();) {
            unsigned char c = static_cast<unsigned char>(sql[i]);
            char32_t cp = c;
            int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
            if (extra)
                cp = c & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k)
                cp = (cp << 6) |
                     (static_cast<unsigned char>(sql[i + static_cast<size_t>(k)]) & 0x3F);
            i += static_cast<size_t>(extra) + 1;
            wide += static_cast<char16_t>(cp);
        }
        SQLRETURN rc = SQLExecDirectW(stmt_, reinterpret_cast<SQLWCHAR*>(wide.data()),
                                      static_cast<SQLINTEGER>(wide.size()));
        std::vector<RawResult> results;
        while (rc != SQL_NO_DATA) {
            if (!SQL_SUCCEEDED(rc))
                throw diagnose(SQL_HANDLE_STMT, stmt_);
            results.push_back(read());
            rc = SQLMoreResults(stmt_);
        }
        SQLFreeStmt(stmt_, SQL_CLOSE);
        return results;
    }

private:
    RawResult read() {
        RawResult r;
        SQLSMALLINT count = 0;
        SQLNumResultCols(stmt_, &count);
        SQLRowCount(stmt_, &r.rowCount);
        for (SQLSMALLINT i = 1; i <= count; ++i) {
            SQLCHAR name[256] = {};
            SQLSMALLINT nameLength = 0, type = 0, scale = 0, nullable = 0;
            SQLULEN size = 0;
            SQLDescribeColA(stmt_, i, name, sizeof name, &nameLength, &type, &size, &scale,
                            &nullable);
            r.names.push_back(reinterpret_cast<char*>(name));
            r.types.push_back(type);
            r.sizes.push_back(size);
            r.scales.push_back(scale);
        }
        if (count == 0)
            return r;
        SQLRETURN rc;
        while ((rc = SQLFetch(stmt_)) != SQL_NO_DATA) {
            if (!SQL_SUCCEEDED(rc))
                throw diagnose(SQL_HANDLE_STMT, stmt_);
            std::vector<std::string> row;
            for (SQLSMALLINT i = 1; i <= count; ++i) {
                char buffer[8192];
                SQLLEN length = 0;
                SQLGetData(stmt_, static_cast<SQLUSMALLINT>(i), SQL_C_CHAR, buffer, sizeof buffer,
                           &length);
                row.push_back(length == SQL_NULL_DATA ? "<null>" : std::string(buffer));
            }
            r.rows.push_back(std::move(row));
        }
        return r;
    }

    SQLHSTMT stmt_ = nullptr;
};

} // namespace kuz::test

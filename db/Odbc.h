#pragma once

// The ODBC calls of the data layer: every handle owned by one object, every return code
// through one check that turns a failure into a DbError with all diagnostic records read.
#include "DbError.h"

#include <QString>
#include <sql.h>
#include <sqlext.h>

namespace kuz {

class OdbcHandle {
public:
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent);
    ~OdbcHandle();
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }

private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// The diagnostic records of a handle as the user's message: the server's texts, one per line,
// with the driver's bracketed prefixes removed and informational records left out when an
// error is among them; the driver's own records only when the server sent none.
DbError diagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* fallback);

// Throws the handle's diagnostics when rc is a failure.
void check(SQLRETURN rc, const OdbcHandle& handle, const char* what);

// Removes "[vendor][driver][SQL Server]"-like prefixes from a driver's message.
QString withoutDriverPrefixes(const QString& message);

// QString and ODBC's wide characters, both UTF-16.
inline SQLWCHAR* wide(const QString& s) {
    return reinterpret_cast<SQLWCHAR*>(
        const_cast<char16_t*>(reinterpret_cast<const char16_t*>(s.utf16())));
}

} // namespace kuz

#include "Odbc.h"

#include <QStringList>

namespace kuz {

OdbcHandle::OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &handle_))) {
        handle_ = SQL_NULL_HANDLE;
        throw DbError("The ODBC driver manager could not allocate a handle");
    }
}

OdbcHandle::~OdbcHandle() {
    if (handle_ != SQL_NULL_HANDLE)
        SQLFreeHandle(type_, handle_);
}

QString withoutDriverPrefixes(const QString& message) {
    QString m = message;
    while (m.startsWith(u'[')) {
        qsizetype close = m.indexOf(u']');
        if (close < 0)
            break;
        m = m.mid(close + 1);
    }
    return m.trimmed();
}

DbError diagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* fallback) {
    // The server's own messages carry its error number; the driver's additions (such as
    // "Unable to connect to data source" after a refused login) carry none and are left out
    // when the server said something.
    QStringList errors, infos, driverErrors;
    std::string firstState;
    long firstNative = 0;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[4096] = {};
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(type, handle, i, state, &native, text,
                                      static_cast<SQLSMALLINT>(std::size(text)), &length);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            break;
        const QString s = QString::fromUtf16(reinterpret_cast<const char16_t*>(state));
        const QString message = withoutDriverPrefixes(QString::fromUtf16(
            reinterpret_cast<const char16_t*>(text),
            std::min<qsizetype>(length, static_cast<qsizetype>(std::size(text)) - 1)));
        const bool info = s.startsWith(u"01");
        (info ? infos : native != 0 ? errors : driverErrors).append(message);
        if (!info && (firstState.empty() || (firstNative == 0 && native != 0))) {
            firstState = s.toStdString();
            firstNative = native;
        }
    }
    const QStringList& shown = !errors.isEmpty()         ? errors
                               : !driverErrors.isEmpty() ? driverErrors
                                                         : infos;
    if (shown.isEmpty())
        return DbError(fallback);
    return DbError(shown.join(u'\n').toStdString(), firstState, firstNative);
}

void check(SQLRETURN rc, const OdbcHandle& handle, const char* what) {
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        throw diagnostics(handle.type(), handle.get(), what);
}

} // namespace kuz

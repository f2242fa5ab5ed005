#include "Connection.h"

#include "ConnectionString.h"
#include "Odbc.h"

namespace kuz {
namespace {

QStringList installedDrivers(const OdbcHandle& env) {
    QStringList drivers;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLWCHAR name[256] = {};
        SQLWCHAR attributes[1024] = {};
        SQLSMALLINT nameLength = 0, attributesLength = 0;
        SQLRETURN rc = SQLDriversW(env.get(), direction, name, 256, &nameLength, attributes, 1024,
                                   &attributesLength);
        if (!SQL_SUCCEEDED(rc))
            break;
        drivers.append(QString::fromUtf16(reinterpret_cast<const char16_t*>(name)));
        direction = SQL_FETCH_NEXT;
    }
    return drivers;
}

} // namespace

Connection::Connection() = default;

Connection::~Connection() {
    close();
}

void Connection::open() {
    if (dbc_)
        return;
    auto env = std::make_unique<OdbcHandle>(SQL_HANDLE_ENV, SQLHANDLE{});
    check(SQLSetEnvAttr(env->get(), SQL_ATTR_ODBC_VERSION,
                        reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(SQL_OV_ODBC3)), 0),
          *env, "The ODBC driver manager refused ODBC 3");
    const OdbcTarget target = translateConnectionString(connectionString_, installedDrivers(*env));
    if (!target.fitsConnectionString())
        throw DbError("The FreeTDS driver cannot take a \"}\" in the server, user, password or "
                      "database of a connection");
    auto dbc = std::make_unique<OdbcHandle>(SQL_HANDLE_DBC, env->get());
    const auto timeout =
        static_cast<std::intptr_t>(target.connectTimeout.value_or(timeoutSeconds_));
    SQLSetConnectAttrW(dbc->get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(timeout),
                       0);
    const QString odbc = target.connectionString();
    check(SQLDriverConnectW(dbc->get(), nullptr, wide(odbc), SQL_NTS, nullptr, 0, nullptr,
                            SQL_DRIVER_NOPROMPT),
          *dbc, "The connection could not be opened");
    env_ = std::move(env);
    dbc_ = std::move(dbc);
    if (afterConnect_)
        afterConnect_();
}

void Connection::close() {
    if (!dbc_)
        return;
    SQLDisconnect(dbc_->get());
    dbc_.reset();
    env_.reset();
}

QString Connection::currentDatabase() const {
    if (!dbc_)
        return {};
    SQLWCHAR name[256] = {};
    SQLINTEGER length = 0;
    if (!SQL_SUCCEEDED(
            SQLGetConnectAttrW(dbc_->get(), SQL_ATTR_CURRENT_CATALOG, name, sizeof name, &length)))
        return {};
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(name));
}

void* Connection::nativeHandle() const {
    return dbc_ ? dbc_->get() : nullptr;
}

} // namespace kuz

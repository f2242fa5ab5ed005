#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace kuz {

class OdbcHandle;

// The one connection to the server, with the semantics the commands rely on: it holds an OLE DB
// connection string, opens with a time-out of its own (1 second unless the string's
// Connect Timeout says otherwise), reports its current database (which follows USE), and calls
// the after-connect callback each time it opens, also when a query opens it by itself.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setConnectionString(const QString& oledb) { connectionString_ = oledb; }
    const QString& connectionString() const { return connectionString_; }
    void setConnectionTimeout(int seconds) { timeoutSeconds_ = seconds; }
    void setAfterConnect(std::function<void()> callback) { afterConnect_ = std::move(callback); }

    // Nothing happens when the connection is already open.
    void open();
    void close();
    bool isOpen() const { return dbc_ != nullptr; }
    // The connection's current database; empty when it is closed.
    QString currentDatabase() const;

    // The open connection's handle, for the query objects.
    void* nativeHandle() const;

private:
    QString connectionString_;
    int timeoutSeconds_ = 1;
    std::function<void()> afterConnect_;
    std::unique_ptr<OdbcHandle> env_;
    std::unique_ptr<OdbcHandle> dbc_;
};

} // namespace kuz

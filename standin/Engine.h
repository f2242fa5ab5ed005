#pragma once

#include "Batch.h"
#include "SqlError.h"
#include "Values.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace standin {

// The data folder: one SQLite file per database. The four system databases are always there.
class Catalog {
public:
    struct Entry {
        std::string name;
        std::filesystem::path file;
        int dbid;
    };

    explicit Catalog(std::filesystem::path folder);

    // The database's own spelling, found without regard to letter case.
    std::optional<std::string> find(const std::string& name) const;
    std::filesystem::path fileFor(const std::string& name) const;
    // System databases first (master, tempdb, model, msdb), then the others by name.
    std::vector<Entry> list() const;
    void create(const std::string& name);
    void drop(const std::string& name);

private:
    std::filesystem::path folder_;
    mutable std::mutex mutex_;
};

// Receives what a batch produces, statement by statement, in order.
class ResultSink {
public:
    virtual ~ResultSink() = default;
    virtual void columns(const std::vector<Column>& columns) = 0;
    // Returns false when the client has cancelled: the statement stops there.
    virtual bool row(const std::vector<Value>& values) = 0;
    // The end of one statement; hasCount when it reports a row count.
    virtual void done(bool hasCount, std::int64_t count) = 0;
    virtual void error(const SqlError& error) = 0;
    virtual void info(int number, const std::string& message) = 0;
    virtual void databaseChanged(const std::string& from, const std::string& to) = 0;
    // Polled during long waits (WAITFOR).
    virtual bool cancelled() = 0;
};

// One client's state: its current database and the SQLite connection to it.
class Session {
public:
    // Throws SqlError 4060 when the database does not exist.
    Session(Catalog& catalog, const std::string& database);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs every statement of the batch; the first failure ends the batch. A syntax error
    // anywhere in it fails the batch before any statement runs, as on SQL Server.
    void execute(const std::string& batch, ResultSink& sink);

    const std::string& database() const { return database_; }

private:
    struct SqliteCloser {
        void operator()(sqlite3* db) const;
    };

    void open(const std::string& name);
    void runStatement(const Statement& statement, ResultSink& sink);
    void runSql(const Statement& statement, ResultSink& sink);
    void use(const std::vector<const Token*>& words, ResultSink& sink);
    std::string translate(const Statement& statement);
    void refreshCatalogViews();
    const std::map<std::string, ColumnType>& schemaColumns();

    Catalog& catalog_;
    std::string database_;
    std::unique_ptr<sqlite3, SqliteCloser> db_;
    bool nocount_ = false;
    bool needsDatabaseList_ = false;
    std::optional<std::map<std::string, ColumnType>> schemaColumns_;
};

} // namespace standin

#include "HeadlessBatch.h"

#include "AssetSheet.h"
#include "AssetStatements.h"
#include "BatchRun.h"
#include "Connection.h"
#include "DatabaseList.h"
#include "Query.h"
#include "ReportCommand.h"
#include "ScriptFile.h"
#include "Settings.h"

#include <QDate>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace kuz {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void write(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
}

// One connection with the two queries a database's work goes through: the script query, and
// the report query with its declared fields.
class Worker {
public:
    explicit Worker(const QString& connectionString)
        : script_(connection_, QStringLiteral("ADOQuery1")),
          report_(connection_, QStringLiteral("ADOQuery11")) {
        connection_.setConnectionString(connectionString);
        report_.setFields(assetReportFields());
    }

    Connection& connection() { return connection_; }
    Query& script() { return script_; }
    Query& report() { return report_; }

private:
    Connection connection_;
    Query script_;
    Query report_;
};

// The report commands' batch use, writing into the output folder. In a dry run the statement
// is only written down.
class HeadlessReportTarget : public ReportTarget {
public:
    HeadlessReportTarget(Worker& worker, const BatchWork& work, DatabaseResult& result,
                         QStringList* sent)
        : worker_(worker), work_(work), result_(result), sent_(sent) {}

    void setScript(const QString&) override {}
    void runBatch() override {} // the batch use never runs the batch again
    void openAndExport(const QString& statement, const QString& fileSuffix) override {
        if (sent_) {
            *sent_ << batchText(statement);
            return;
        }
        Query& report = worker_.report();
        report.setSql(statement);
        report.open();
        std::filesystem::path written;
        exportAssetWorkbook(report, [&] {
            written =
                workbookPath(work_.outputDir, worker_.connection().currentDatabase(), fileSuffix);
            return written;
        });
        result_.workbooks << QString::fromStdString(written.string());
    }
    void showGridWindow() override {}

private:
    Worker& worker_;
    const BatchWork& work_;
    DatabaseResult& result_;
    QStringList* sent_;
};

// The batch run's view of one database: the program's own batch run does the work, over a
// list holding this database alone, checked.
class OneDatabaseTarget : public BatchTarget {
public:
    OneDatabaseTarget(Worker& worker, const BatchWork& work, DatabaseResult& result,
                      QStringList* sent)
        : worker_(worker), work_(work), result_(result), sent_(sent),
          reports_(worker, work, result, sent) {}

    int itemCount() const override { return 1; }
    QString itemText(int) const override { return result_.database; }
    bool isChecked(int) const override { return !done_; }
    void uncheck(int) override { done_ = true; }
    bool hasScript() const override { return !work_.script.isEmpty(); }
    QString scriptText() const override { return work_.script; }
    void runCommand(const QString& text) override {
        if (sent_) {
            *sent_ << batchText(text);
            return;
        }
        Query& q = worker_.script();
        q.setSql(text);
        q.execute();
        if (text == work_.script)
            result_.rowsAffected = q.rowsAffected();
    }
    bool detailBox() const override { return writesDetail(work_.options); }
    bool summaryBox() const override { return writesSummary(work_.options); }
    void detailReport() override {
        runReportCommand(reports_, AssetReport::Detail, true, work_.year);
    }
    void summaryReport() override {
        runReportCommand(reports_, AssetReport::Summary, true, work_.year);
    }
    QString currentDatabase() const override { return worker_.connection().currentDatabase(); }
    void setStatusText(const QString&) override {}
    void showProgress(int, int, const QString&) override {}
    void setBusyCursor() override {}
    void setDefaultCursor() override {}

    bool done() const { return done_; }

private:
    Worker& worker_;
    const BatchWork& work_;
    DatabaseResult& result_;
    QStringList* sent_;
    HeadlessReportTarget reports_;
    bool done_ = false;
};

// The targets: the fill procedure's list, or the names given, each of which must be on it.
QStringList listTargets(Connection& connection, const BatchOptions& o) {
    Query list(connection, QStringLiteral("ADOQuery2"));
    list.setFields(databaseListFields());
    const bool explicitList = !o.databases.isEmpty();
    list.setSql(explicitList ? databaseListStatement(QStringLiteral("%"), true)
                             : databaseListStatement(o.pattern, o.masters));
    list.open();
    QStringList names;
    for (list.first(); !list.eof(); list.next())
        names << list.asText(QStringLiteral("name"));
    QStringList targets = names;
    if (explicitList) {
        targets.clear();
        for (const QString& wanted : o.databases) {
            const auto found = std::find_if(names.begin(), names.end(), [&](const QString& n) {
                return n.compare(wanted, Qt::CaseInsensitive) == 0;
            });
            if (found == names.end())
                throw UsageError(QStringLiteral("There is no database \"%1\" to work on")
                                     .arg(wanted)
                                     .toStdString());
            targets << *found;
        }
    }
    if (!o.from.isEmpty()) {
        const auto at = std::find_if(targets.begin(), targets.end(), [&](const QString& n) {
            return n.compare(o.from, Qt::CaseInsensitive) == 0;
        });
        if (at == targets.end())
            throw UsageError(QStringLiteral("--from %1: no such database among the targets")
                                 .arg(o.from)
                                 .toStdString());
        targets.erase(targets.begin(), at);
    }
    return targets;
}

// The run's shared state. Workers take the next target under the lock; results are printed in
// target order as soon as every earlier one is known.
class Scheduler {
public:
    Scheduler(const QStringList& targets, const BatchWork& work, const BatchStreams& streams)
        : work_(work), streams_(streams), sent_(static_cast<size_t>(targets.size())) {
        for (const QString& t : targets)
            results_.push_back(pending(t));
        for (const QString& t : targets)
            nameWidth_ = std::max(nameWidth_, t.size());
    }

    void work(Worker& worker) {
        for (;;) {
            size_t index = 0;
            {
                std::lock_guard lock(mutex_);
                if (stopped_ || next_ >= results_.size())
                    return;
                index = next_++;
                showProgress();
            }
            DatabaseResult result = pending(results_[index].database);
            QStringList* sent = work_.options.dryRun ? &sent_[index] : nullptr;
            const auto start = Clock::now();
            try {
                OneDatabaseTarget target(worker, work_, result, sent);
                runBatch(target);
                result.outcome = Outcome::Ok;
            } catch (const std::exception& e) {
                result.outcome = Outcome::Failed;
                result.message = QString::fromUtf8(e.what());
            }
            result.seconds = secondsSince(start);
            std::lock_guard lock(mutex_);
            results_[index] = std::move(result);
            ++finished_;
            if (results_[index].outcome == Outcome::Failed && !work_.options.keepGoing)
                stopped_ = true;
            printReady();
        }
    }

    // After the workers: whatever was never started is not reached.
    const std::vector<DatabaseResult>& finish() {
        std::lock_guard lock(mutex_);
        for (DatabaseResult& r : results_)
            if (r.outcome == Outcome::Pending)
                r.outcome = Outcome::NotReached;
        printReady();
        clearProgress();
        return results_;
    }

private:
    static DatabaseResult pending(const QString& database) {
        DatabaseResult r;
        r.database = database;
        return r;
    }

    void printReady() {
        clearProgress();
        for (; printed_ < results_.size() && results_[printed_].outcome != Outcome::Pending;
             ++printed_) {
            const DatabaseResult& r = results_[printed_];
            if (work_.options.dryRun && r.outcome == Outcome::Ok) {
                QString block = QStringLiteral("-- ") + r.database + u'\n';
                for (const QString& statement : sent_[printed_])
                    block += statement + QStringLiteral("GO\n");
                write(streams_.out, block);
            } else {
                write(streams_.out, resultLine(r, nameWidth_) + u'\n');
            }
        }
        std::fflush(streams_.out);
        showProgress();
    }

    // "[3/40 done] KUZ_B_2026": how far the run is and the database last started.
    void showProgress() {
        if (!streams_.progress || finished_ >= results_.size() || next_ == 0)
            return;
        write(streams_.err, QStringLiteral("\r\x1b[K[%1/%2 done] %3")
                                .arg(finished_)
                                .arg(results_.size())
                                .arg(results_[next_ - 1].database));
        std::fflush(streams_.err);
    }

    void clearProgress() {
        if (!streams_.progress)
            return;
        write(streams_.err, QStringLiteral("\r\x1b[K"));
        std::fflush(streams_.err);
    }

    const BatchWork& work_;
    const BatchStreams& streams_;
    std::mutex mutex_;
    std::vector<DatabaseResult> results_;
    std::vector<QStringList> sent_;
    qsizetype nameWidth_ = 0;
    size_t next_ = 0, finished_ = 0, printed_ = 0;
    bool stopped_ = false;
};

QString readPasswordFromTerminal(const QString& user, const QString& server) {
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0)
        throw UsageError("No password: set KUZ_PASSWORD, or run kuzbatch at a terminal");
    struct Closer {
        int fd;
        termios saved{};
        bool restore = false;
        ~Closer() {
            if (restore)
                ::tcsetattr(fd, TCSAFLUSH, &saved);
            ::close(fd);
        }
    } closer{tty};
    if (::tcgetattr(tty, &closer.saved) == 0) {
        termios quiet = closer.saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        closer.restore = ::tcsetattr(tty, TCSAFLUSH, &quiet) == 0;
    }
    const QByteArray prompt = QStringLiteral("Password for %1 on %2: ").arg(user, server).toUtf8();
    if (::write(tty, prompt.constData(), static_cast<size_t>(prompt.size())) < 0)
        throw UsageError("No password: the terminal cannot be written to");
    QByteArray typed;
    char c = 0;
    while (::read(tty, &c, 1) == 1 && c != '\n')
        typed += c;
    if (::write(tty, "\n", 1) < 0) {
        // the line break after the hidden input is cosmetic
    }
    return QString::fromUtf8(typed);
}

// Server, login and password: from the flags, the environment and the terminal, or all from
// the settings file.
QString connectionString(const BatchOptions& o) {
    const char* fromEnvironment = std::getenv("KUZ_PASSWORD");
    if (!o.server && !o.user) {
        if (!std::filesystem::exists(settings::filePath()))
            throw UsageError(
                QStringLiteral("No --server and --user, and no KUZUtilSQL.INI in %1")
                    .arg(QString::fromStdString(std::filesystem::current_path().string()))
                    .toStdString());
        const SavedBoxes saved = settings::load();
        const QString password =
            fromEnvironment ? QString::fromUtf8(fromEnvironment) : saved.password;
        return assembleConnectionString(o.prefix, saved.user, password, saved.server);
    }
    const SavedBoxes saved = settings::load();
    const QString server = o.server.value_or(saved.server);
    const QString user = o.user.value_or(saved.user);
    const QString password = fromEnvironment ? QString::fromUtf8(fromEnvironment)
                                             : readPasswordFromTerminal(user, server);
    return assembleConnectionString(o.prefix, user, password, server);
}

} // namespace

int runHeadlessBatch(const BatchWork& work, const QString& program, const QStringList& arguments,
                     const BatchStreams& streams) {
    const auto start = Clock::now();
    const BatchOptions& o = work.options;
    // Every connection is opened before any work, so a refused login stops the run cleanly.
    std::vector<std::unique_ptr<Worker>> workers;
    workers.push_back(std::make_unique<Worker>(work.connectionString));
    workers.front()->connection().open();
    const QStringList targets = listTargets(workers.front()->connection(), o);
    if (targets.isEmpty())
        write(streams.err, QStringLiteral("No database to work on.\n"));
    const size_t jobs =
        o.dryRun ? 1
                 : std::min<size_t>(static_cast<size_t>(o.jobs),
                                    std::max<size_t>(1, static_cast<size_t>(targets.size())));
    while (workers.size() < jobs) {
        workers.push_back(std::make_unique<Worker>(work.connectionString));
        workers.back()->connection().open();
    }

    Scheduler scheduler(targets, work, streams);
    {
        std::vector<std::jthread> threads;
        for (size_t i = 1; i < workers.size(); ++i)
            threads.emplace_back([&scheduler, &w = *workers[i]] { scheduler.work(w); });
        scheduler.work(*workers.front());
    }
    const std::vector<DatabaseResult>& results = scheduler.finish();

    QString tail;
    if (o.dryRun)
        tail = QStringLiteral("%1 %2, nothing sent (dry run)\n")
                   .arg(results.size())
                   .arg(results.size() == 1 ? u"database" : u"databases");
    else
        tail = summaryLine(results, secondsSince(start)) + u'\n';
    const QStringList left = unfinished(results);
    bool anyFailed = false;
    for (const DatabaseResult& r : results)
        if (r.outcome == Outcome::Failed) {
            if (!anyFailed)
                tail += QStringLiteral("Failed:\n");
            anyFailed = true;
            tail += QStringLiteral("  ") + r.database + QStringLiteral(": ") + r.message + u'\n';
        }
    if (!left.isEmpty()) {
        tail += QStringLiteral("Not processed: ") + left.join(QStringLiteral(", ")) + u'\n';
        tail +=
            QStringLiteral("Resume with: ") + resumeCommand(program, arguments, results) + u'\n';
    }
    write(streams.out, tail);
    std::fflush(streams.out);
    return left.isEmpty() ? 0 : 1;
}

int kuzbatchMain(const QString& program, const QStringList& arguments) {
    try {
        BatchWork work;
        work.options = parseBatchOptions(arguments, QDate::currentDate().year());
        const BatchOptions& o = work.options;
        if (o.help) {
            write(stdout, batchHelpText());
            return 0;
        }
        if (!o.scriptFile.isEmpty()) {
            work.script = readScript(o.scriptFile.toStdString()).text;
            if (work.script.trimmed().isEmpty())
                throw UsageError(
                    QStringLiteral("The script %1 is empty").arg(o.scriptFile).toStdString());
        }
        if (o.report != ReportChoice::None) {
            work.year = o.year.value_or(settings::load().reportYear);
            work.outputDir =
                std::filesystem::weakly_canonical(std::filesystem::absolute(o.outputDir));
            if (!std::filesystem::is_directory(work.outputDir))
                throw UsageError(QStringLiteral("--output-dir %1 is not a folder")
                                     .arg(QString::fromStdString(o.outputDir.string()))
                                     .toStdString());
        }
        work.connectionString = connectionString(o);
        BatchStreams streams;
        streams.progress = ::isatty(STDERR_FILENO) == 1;
        return runHeadlessBatch(work, program, arguments, streams);
    } catch (const std::exception& e) {
        write(stderr, QStringLiteral("kuzbatch: ") + QString::fromUtf8(e.what()) + u'\n');
        return 2;
    }
}

} // namespace kuz

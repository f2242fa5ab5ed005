#pragma once

#include "TestFolders.h"

#include <chrono>
#include <csignal>
#include <ctime>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace kuz::test {

inline int thisYear() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return local.tm_year + 1900;
}

// The stand-in server on a free loopback port, over a fresh copy of the sample data, for the
// lifetime of the object. Its log holds one line per login and per batch.
class StandinServer {
public:
    static constexpr const char* user = "sa";
    static constexpr const char* password = "Kuz.2026!";

    explicit StandinServer(std::vector<std::string> extra = {}) {
        run({KUZSTANDIN_PATH, "--create-sample", (folder_ / "data").string()});
        std::vector<std::string> args = {KUZSTANDIN_PATH,
                                         "--data",
                                         (folder_ / "data").string(),
                                         "--login",
                                         std::string(user) + ":" + password,
                                         "--port-file",
                                         (folder_ / "port").string(),
                                         "--log",
                                         logPath().string(),
                                         "--exit-with-parent"};
        args.insert(args.end(), extra.begin(), extra.end());
        pid_ = spawn(args);
        for (int i = 0; i < 500 && port_ == 0; ++i) {
            std::string text = readFile(folder_ / "port");
            if (!text.empty())
                port_ = std::stoi(text);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (port_ == 0)
            throw std::runtime_error("the stand-in server did not start");
    }

    ~StandinServer() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    StandinServer(const StandinServer&) = delete;
    StandinServer& operator=(const StandinServer&) = delete;

    int port() const { return port_; }
    std::string address() const { return "127.0.0.1," + std::to_string(port_); }
    std::filesystem::path logPath() const { return folder_ / "server.log"; }
    std::filesystem::path dataFolder() const { return folder_ / "data"; }
    std::string log() const { return readFile(logPath()); }
    // The batches the server received, in order, each as "<database>\t<text>" with its line
    // breaks written as \r and \n.
    std::vector<std::string> batches() const {
        std::vector<std::string> out;
        std::string all = log();
        size_t at = 0;
        while (at < all.size()) {
            size_t end = all.find('\n', at);
            std::string line = all.substr(at, end - at);
            if (line.rfind("BATCH ", 0) == 0)
                out.push_back(line.substr(6));
            at = end == std::string::npos ? all.size() : end + 1;
        }
        return out;
    }
    // An ODBC connection string for the FreeTDS driver.
    std::string odbcString(const std::string& pwd = password) const {
        return "DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=" + std::to_string(port_) + ";UID=" + user +
               ";PWD={" + pwd + "};TDS_Version=7.4;ClientCharset=UTF-8;";
    }

    static int run(const std::vector<std::string>& args) {
        pid_t pid = spawn(args);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            throw std::runtime_error("command failed: " + args[0]);
        return 0;
    }

private:
    static pid_t spawn(const std::vector<std::string>& args) {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("cannot start " + args[0]);
        return pid;
    }

    TempFolder folder_;
    pid_t pid_ = 0;
    int port_ = 0;
};

// A test suite whose tests share one server, started before the first and stopped after the
// last.
template <typename Base> class WithSharedStandin : public Base {
protected:
    static void SetUpTestSuite() { serverInstance() = std::make_unique<StandinServer>(); }
    static void TearDownTestSuite() { serverInstance().reset(); }
    static StandinServer& server() { return *serverInstance(); }

private:
    static std::unique_ptr<StandinServer>& serverInstance() {
        static std::unique_ptr<StandinServer> instance;
        return instance;
    }
};

} // namespace kuz::test

// kuzstandin: a loopback stand-in for Microsoft SQL Server, for the tests and the demo of
// KUZUtilSQL. It speaks enough TDS 7.4 for the ODBC drivers and keeps each database as one
// SQLite file in a data folder. It is test tooling, not a database product.
#include "Engine.h"
#include "SampleData.h"
#include "Tds.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

int stopPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 's';
    ssize_t ignored = ::write(stopPipe[1], &c, 1);
    (void)ignored;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

void usage() {
    std::cout <<
        R"(Usage: kuzstandin --data DIR --login USER:PASSWORD [options]
       kuzstandin --create-sample DIR [--year YEAR]

A loopback stand-in for Microsoft SQL Server (TDS 7.4) over SQLite files, for tests and demos.

  --data DIR            the data folder: one DIR/<database>.sqlite per database
  --port N              the port on 127.0.0.1 (default 0: a free port, printed at start)
  --port-file FILE      also write the port into FILE
  --login USER:PASSWORD a login it accepts (may be given several times)
  --verbose             log one line per login and per batch (to standard error)
  --log FILE            write that log to FILE instead
  --silent              accept connections and never answer (for time-out tests)
  --deny TEXT           refuse every batch holding TEXT with a permission error
  --exit-with-parent    stop when the process that started it ends
  --create-sample DIR   create a fresh data folder with the sample databases and exit
  --year YEAR           the current year of the sample data (default: this year)
)";
}

int currentYear() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return local.tm_year + 1900;
}

} // namespace

int main(int argc, char** argv) {
    std::string data, portFile, logFile, sampleFolder;
    int port = 0, year = currentYear();
    bool verbose = false, silent = false;
    std::map<std::string, std::string> logins;
    std::vector<std::string> deny;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "kuzstandin: " << a << " needs a value\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--data")
            data = next();
        else if (a == "--port")
            port = std::stoi(next());
        else if (a == "--port-file")
            portFile = next();
        else if (a == "--login") {
            std::string l = next();
            size_t colon = l.find(':');
            if (colon == std::string::npos) {
                std::cerr << "kuzstandin: --login takes USER:PASSWORD\n";
                return 2;
            }
            logins[l.substr(0, colon)] = l.substr(colon + 1);
        } else if (a == "--verbose")
            verbose = true;
        else if (a == "--log") {
            logFile = next();
            verbose = true;
        } else if (a == "--exit-with-parent") {
            // A test that dies without stopping its server takes the server with it.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        } else if (a == "--silent")
            silent = true;
        else if (a == "--deny")
            deny.push_back(next());
        else if (a == "--create-sample")
            sampleFolder = next();
        else if (a == "--year")
            year = std::stoi(next());
        else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else {
            std::cerr << "kuzstandin: unknown option " << a << "\n";
            usage();
            return 2;
        }
    }

    try {
        if (!sampleFolder.empty()) {
            standin::createSampleData(sampleFolder, year);
            return 0;
        }
        if (data.empty() || logins.empty()) {
            usage();
            return 2;
        }
        standin::Catalog catalog(data);

        std::mutex logMutex;
        std::ofstream logStream;
        if (!logFile.empty())
            logStream.open(logFile, std::ios::app);
        standin::ServerOptions options;
        options.silent = silent;
        options.deny = deny;
        options.checkLogin = [&logins](const std::string& user, const std::string& password) {
            auto it = logins.find(user);
            return it != logins.end() && it->second == password;
        };
        if (verbose)
            options.log = [&](const std::string& line) {
                std::lock_guard lock(logMutex);
                std::ostream& out =
                    logStream.is_open() ? static_cast<std::ostream&>(logStream) : std::cerr;
                out << line << '\n' << std::flush;
            };

        FileDescriptor listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        int yes = 1;
        ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK); // never any other address
        if (::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener.get(), 64) != 0) {
            std::cerr << "kuzstandin: cannot listen on 127.0.0.1:" << port << ": "
                      << std::strerror(errno) << "\n";
            return 1;
        }
        socklen_t length = sizeof address;
        ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length);
        const int actualPort = ntohs(address.sin_port);
        if (!portFile.empty()) {
            std::string temp = portFile + ".tmp";
            std::ofstream(temp) << actualPort << "\n";
            std::rename(temp.c_str(), portFile.c_str());
        }
        std::cout << "listening on 127.0.0.1:" << actualPort << std::endl;

        if (::pipe2(stopPipe, O_CLOEXEC) != 0)
            return 1;
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
        std::signal(SIGPIPE, SIG_IGN);

        std::mutex clientsMutex;
        std::set<int> clients;
        std::vector<std::thread> threads;
        for (;;) {
            pollfd fds[2] = {{listener.get(), POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            if (fds[1].revents)
                break;
            if (!(fds[0].revents & POLLIN))
                continue;
            int fd = ::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            {
                std::lock_guard lock(clientsMutex);
                clients.insert(fd);
            }
            threads.emplace_back([fd, &catalog, &options, &clients, &clientsMutex] {
                FileDescriptor owned(fd);
                try {
                    standin::serveClient(fd, catalog, options);
                } catch (const std::exception& e) {
                    if (options.log)
                        options.log(std::string("DROPPED ") + e.what());
                }
                std::lock_guard lock(clientsMutex);
                clients.erase(fd);
            });
        }
        {
            std::lock_guard lock(clientsMutex);
            for (int fd : clients)
                ::shutdown(fd, SHUT_RDWR);
        }
        for (std::thread& t : threads)
            t.join();
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "kuzstandin: " << e.what() << "\n";
        return 1;
    }
}

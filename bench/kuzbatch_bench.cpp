// kuzbatch over 200 databases with a script that waits 50 ms on the server: --jobs 4 against
// --jobs 1 in the same run. Prints the speed-up (target at least 3).
#include "support/RawOdbc.h"
#include "support/RunProgram.h"
#include "support/StandinServer.h"

#include <chrono>
#include <cstdio>

using namespace kuz;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int databases = 200;

std::string name(int i) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "KUZ_JOBS%03d_2024", i);
    return buffer;
}

// One run of kuzbatch; its time, or a negative one when it did not succeed.
double timed(const test::StandinServer& server, const test::TempFolder& folder, int jobs) {
    const auto start = Clock::now();
    const test::ProgramRun r =
        test::runProgram({KUZBATCH_PATH, "--server", server.address(), "--user", "sa", "--pattern",
                          "KUZ_JOBS%", "--script", "wait.sql", "--jobs", std::to_string(jobs)},
                         folder.path(), {{"KUZ_PASSWORD", test::StandinServer::password}});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (r.status != 0) {
        std::fprintf(stderr, "kuzbatch --jobs %d failed:\n%s%s", jobs, r.out.c_str(),
                     r.err.c_str());
        return -1;
    }
    return seconds;
}

} // namespace

int main() {
    test::StandinServer server;
    {
        test::RawConnection raw(server.odbcString());
        for (int i = 0; i < databases; ++i)
            test::RawStatement(raw).run("CREATE DATABASE " + name(i));
    }
    test::TempFolder folder;
    test::writeFile(folder / "wait.sql", "WAITFOR DELAY '00:00:00.050'\r\n");

    const double one = timed(server, folder, 1);
    const double four = timed(server, folder, 4);
    if (one < 0 || four < 0)
        return 1;
    std::printf("kuzbatch over %d databases, each waiting 50 ms on the server\n", databases);
    std::printf("  --jobs 1   %.2f s\n", one);
    std::printf("  --jobs 4   %.2f s\n", four);
    std::printf("  speed-up   %.2f (target >= 3)\n", one / four);
    return 0;
}

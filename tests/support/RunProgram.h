#pragma once

#include "TestFolders.h"

#include <fcntl.h>
#include <map>
#include <memory>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace kuz::test {

struct ProgramRun {
    int status = -1; // the exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs a program to its end in a folder, in a session of its own (so it has no terminal to ask
// a password at), with standard input empty and the environment changed as given: a value sets
// a variable, an absent value (nullopt) removes it.
inline ProgramRun runProgram(const std::vector<std::string>& args,
                             const std::filesystem::path& folder,
                             const std::map<std::string, std::optional<std::string>>& env = {}) {
    TempFolder capture;
    const std::string outPath = (capture / "out").string(), errPath = (capture / "err").string();

    std::vector<std::string> variables;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!env.contains(entry.substr(0, entry.find('='))))
            variables.push_back(entry);
    }
    for (const auto& [name, value] : env)
        if (value)
            variables.push_back(name + "=" + *value);
    std::vector<char*> envp, argv;
    for (std::string& v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    std::vector<std::string> argCopy = args;
    for (std::string& a : argCopy)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0)
        throw std::runtime_error("cannot start " + args[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);

    ProgramRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

// What a shell command prints on standard output.
inline std::string commandOutput(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        out.append(buffer, n);
    return out;
}

} // namespace kuz::test

#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace kuz {

// Writes a file through a temporary file in the same folder that is renamed over the target
// only once it is complete: a failure never leaves a half-written file and never destroys the
// file that was there. A replaced file keeps its permissions; a new one gets newFileMode.
// Every failure throws std::runtime_error carrying failureMessage.
class AtomicFile {
public:
    AtomicFile(std::filesystem::path target, mode_t newFileMode, std::string failureMessage);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The temporary file, created empty; a writer that wants a path (a library) writes here.
    const std::filesystem::path& tempPath() const { return temp_; }
    void write(std::string_view bytes);
    // Flushes the temporary file to disk and renames it over the target.
    void commit();

private:
    [[noreturn]] void fail() const;

    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::string failureMessage_;
    int fd_ = -1;
    bool committed_ = false;
};

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         mode_t newFileMode, const std::string& failureMessage);

} // namespace kuz

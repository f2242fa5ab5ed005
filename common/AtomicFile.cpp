#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kuz {

AtomicFile::AtomicFile(std::filesystem::path target, mode_t newFileMode, std::string failureMessage)
    : target_(std::move(target)), failureMessage_(std::move(failureMessage)) {
    mode_t mode = newFileMode;
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            fail();
        mode = st.st_mode & 07777;
    }
    std::filesystem::path folder = target_.parent_path();
    if (folder.empty())
        folder = ".";
    std::string pattern = (folder / ("." + target_.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0)
        fail();
    temp_ = name.data();
    if (::fchmod(fd_, mode) != 0) {
        ::close(fd_);
        ::unlink(temp_.c_str());
        fail();
    }
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_ && !temp_.empty())
        ::unlink(temp_.c_str());
}

void AtomicFile::fail() const {
    throw std::runtime_error(failureMessage_);
}

void AtomicFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail();
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

void AtomicFile::commit() {
    if (::fsync(fd_) != 0)
        fail();
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail();
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        fail();
    committed_ = true;
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         mode_t newFileMode, const std::string& failureMessage) {
    AtomicFile file(target, newFileMode, failureMessage);
    file.write(bytes);
    file.commit();
}

} // namespace kuz

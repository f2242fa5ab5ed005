#pragma once

#include <QString>
#include <filesystem>

namespace kuz {

// A profile (INI) file read and written one key at a time, the way the Windows profile-file
// functions work: a write creates the file and the section when they are missing, replaces the
// value of an existing key in place and adds a missing key at the end of its section; every
// other line stays as it was. Sections and keys match without regard to letter case. Text on
// disk is Windows-1254 with CR LF line breaks. Values are stored and read back exactly as
// given (no trimming, no quoting), up to 2,047 characters.
//
// QSettings does not fit: it sorts keys, escapes values and rewrites the whole file.
class ProfileFile {
public:
    static constexpr qsizetype maxValueLength = 2047;

    explicit ProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

    // Never fails: a missing file, section or key gives the default.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;

    // Throws std::runtime_error "Unable to write to <path>" when the file cannot be written.
    // A new file is created readable and writable by its owner only: it may hold a password.
    void writeString(const QString& section, const QString& key, const QString& value) const;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace kuz

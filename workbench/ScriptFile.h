#pragma once

#include <QString>
#include <filesystem>

namespace kuz {

// How a script file's bytes stand for its text. Windows-1254 is what the Windows program
// writes and stays the default; a file with a byte-order mark, or valid UTF-8 with non-ASCII
// text, is read as Unicode and written back the same way.
enum class ScriptEncoding { Cp1254, Utf8, Utf8Bom, Utf16Le, Utf16Be };

struct Script {
    QString text; // every line break CR LF
    ScriptEncoding encoding = ScriptEncoding::Cp1254;
};

// Reads the whole file; a zero byte is kept like any other character. Throws
// "Cannot open file <path>" when the file cannot be read.
Script readScript(const std::filesystem::path& path);

// The file's bytes for a text in an encoding, with no line break added at the end.
QByteArray encodeScript(const QString& text, ScriptEncoding encoding);
Script decodeScript(const QByteArray& bytes);

// Writes through a temporary file renamed into place, replacing an existing file without
// asking. Throws "Cannot create file <path>" when it cannot, and leaves the old file as it was.
void writeScript(const std::filesystem::path& path, const QString& text, ScriptEncoding encoding);

// A file name typed without an extension gets ".SQL".
QString withDefaultExtension(const QString& path);

} // namespace kuz

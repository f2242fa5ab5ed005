#include "ScriptFile.h"

#include "AnsiText.h"
#include "AtomicFile.h"
#include "ScriptText.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kuz {
namespace {

bool startsWith(const QByteArray& bytes, std::initializer_list<unsigned char> prefix) {
    if (bytes.size() < static_cast<qsizetype>(prefix.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char b : prefix)
        if (static_cast<unsigned char>(bytes[i++]) != b)
            return false;
    return true;
}

bool isAscii(const QByteArray& bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

QString decode(QStringDecoder::Encoding encoding, QByteArrayView bytes, bool* valid = nullptr) {
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (valid)
        *valid = !decoder.hasError();
    return text;
}

} // namespace

Script decodeScript(const QByteArray& bytes) {
    Script s;
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        s.encoding = ScriptEncoding::Utf8Bom;
        s.text = decode(QStringDecoder::Utf8, QByteArrayView(bytes).sliced(3));
    } else if (startsWith(bytes, {0xFF, 0xFE})) {
        s.encoding = ScriptEncoding::Utf16Le;
        s.text = decode(QStringDecoder::Utf16LE, QByteArrayView(bytes).sliced(2));
    } else if (startsWith(bytes, {0xFE, 0xFF})) {
        s.encoding = ScriptEncoding::Utf16Be;
        s.text = decode(QStringDecoder::Utf16BE, QByteArrayView(bytes).sliced(2));
    } else {
        bool valid = false;
        QString utf8 = decode(QStringDecoder::Utf8, bytes, &valid);
        if (valid && !isAscii(bytes)) {
            s.encoding = ScriptEncoding::Utf8;
            s.text = std::move(utf8);
        } else {
            s.text = fromCp1254(bytes);
        }
    }
    s.text = withCrLf(s.text);
    return s;
}

QByteArray encodeScript(const QString& text, ScriptEncoding encoding) {
    auto encode = [&](QStringEncoder::Encoding e, const char* mark, int markLength) {
        QStringEncoder encoder(e, QStringEncoder::Flag::Stateless);
        QByteArray bytes(mark, markLength);
        bytes += QByteArray(encoder.encode(text));
        return bytes;
    };
    switch (encoding) {
    case ScriptEncoding::Cp1254:
        return toCp1254(text);
    case ScriptEncoding::Utf8:
        return encode(QStringEncoder::Utf8, "", 0);
    case ScriptEncoding::Utf8Bom:
        return encode(QStringEncoder::Utf8, "\xEF\xBB\xBF", 3);
    case ScriptEncoding::Utf16Le:
        return encode(QStringEncoder::Utf16LE, "\xFF\xFE", 2);
    case ScriptEncoding::Utf16Be:
        return encode(QStringEncoder::Utf16BE, "\xFE\xFF", 2);
    }
    return {};
}

Script readScript(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::error_code error;
    if (!in || std::filesystem::is_directory(path, error))
        throw std::runtime_error("Cannot open file " + path.string());
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::runtime_error("Cannot open file " + path.string());
    return decodeScript(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

void writeScript(const std::filesystem::path& path, const QString& text, ScriptEncoding encoding) {
    QByteArray bytes;
    try {
        bytes = encodeScript(text, encoding);
    } catch (const std::exception& e) {
        // Nothing is written rather than a character replaced.
        throw std::runtime_error("Cannot create file " + path.string() + ": " + e.what());
    }
    writeFileAtomically(path,
                        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                        0644, "Cannot create file " + path.string());
}

QString withDefaultExtension(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty() || path.endsWith(u'.'))
        return path;
    return path + QStringLiteral(".SQL");
}

} // namespace kuz

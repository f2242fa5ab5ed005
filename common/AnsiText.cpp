#include "AnsiText.h"

#include <array>
#include <iconv.h>
#include <memory>
#include <stdexcept>
#include <unordered_map>

namespace kuz {
namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const noexcept { iconv_close(cd); }
};
using Iconv = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

// Windows-1254 is a single-byte code page: the table of its 256 bytes is asked of iconv once.
// A byte the code page leaves unassigned keeps its own value as a code point, so that decoding
// never drops a byte.
struct CodePage {
    std::array<char16_t, 256> toUnicode{};
    std::unordered_map<char16_t, char> fromUnicode;

    CodePage() {
        iconv_t raw = iconv_open("UTF-16LE", "CP1254");
        if (raw == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("The Windows-1254 code page is not available");
        Iconv cd(raw);
        for (int byte = 0; byte < 256; ++byte) {
            char in = static_cast<char>(byte);
            char out[4] = {};
            char* inPtr = &in;
            size_t inLeft = 1;
            char* outPtr = out;
            size_t outLeft = sizeof out;
            char16_t unit = static_cast<char16_t>(byte);
            if (iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
                outLeft == 2)
                unit = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                             (static_cast<unsigned char>(out[1]) << 8));
            iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
            toUnicode[static_cast<size_t>(byte)] = unit;
            fromUnicode.emplace(unit, static_cast<char>(byte));
        }
    }
};

const CodePage& codePage() {
    static const CodePage page;
    return page;
}

} // namespace

QByteArray toCp1254(const QString& text) {
    const CodePage& page = codePage();
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        auto it = page.fromUnicode.find(c.unicode());
        if (it == page.fromUnicode.end())
            throw std::runtime_error("The text holds the character '" + QString(c).toStdString() +
                                     "', which the Windows-1254 code page cannot store");
        out.append(it->second);
    }
    return out;
}

QString fromCp1254(const QByteArray& bytes) {
    const CodePage& page = codePage();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (char b : bytes)
        *dst++ = QChar(page.toUnicode[static_cast<unsigned char>(b)]);
    return out;
}

} // namespace kuz

#include "ScriptText.h"

namespace kuz {

QString withCrLf(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += QStringLiteral("\r\n");
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString appendLine(const QString& text, const QString& line) {
    if (text.isEmpty() || text.endsWith(u'\n') || text.endsWith(u'\r'))
        return text + line + QStringLiteral("\r\n");
    return text + QStringLiteral("\r\n") + line;
}

} // namespace kuz

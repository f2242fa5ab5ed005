#include "ProfileFile.h"

#include "AnsiText.h"
#include "AtomicFile.h"

#include <QStringList>
#include <fstream>
#include <optional>
#include <sstream>

namespace kuz {
namespace {

std::optional<QByteArray> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    std::string bytes = buffer.str();
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QStringList splitLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The name of a section header line ("[name]"), or nothing for any other line.
std::optional<QString> sectionName(const QString& line) {
    QString trimmed = line.trimmed();
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    qsizetype close = trimmed.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

bool isKeyLine(const QString& line, const QString& key) {
    qsizetype eq = line.indexOf(u'=');
    return eq >= 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0;
}

struct SectionRange {
    qsizetype header = -1; // index of the header line, -1 when the section is missing
    qsizetype end = 0;     // one past its last line
};

SectionRange findSection(const QStringList& lines, const QString& section) {
    SectionRange range;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        std::optional<QString> name = sectionName(lines[i]);
        if (!name)
            continue;
        if (range.header >= 0) {
            range.end = i;
            return range;
        }
        if (name->compare(section, Qt::CaseInsensitive) == 0)
            range.header = i;
    }
    range.end = lines.size();
    return range;
}

} // namespace

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& defaultValue) const {
    std::optional<QByteArray> bytes = readBytes(path_);
    if (!bytes)
        return defaultValue;
    QStringList lines = splitLines(fromCp1254(*bytes));
    SectionRange range = findSection(lines, section);
    if (range.header < 0)
        return defaultValue;
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        if (isKeyLine(lines[i], key))
            return lines[i].mid(lines[i].indexOf(u'=') + 1).left(maxValueLength);
    }
    return defaultValue;
}

void ProfileFile::writeString(const QString& section, const QString& key,
                              const QString& value) const {
    const std::string failure = "Unable to write to " + path_.string();
    std::optional<QByteArray> bytes = readBytes(path_);
    QStringList lines = bytes ? splitLines(fromCp1254(*bytes)) : QStringList{};

    SectionRange range = findSection(lines, section);
    if (range.header < 0) {
        lines.append(u'[' + section + u']');
        lines.append(key + u'=' + value);
    } else {
        qsizetype found = -1;
        for (qsizetype i = range.header + 1; i < range.end && found < 0; ++i) {
            if (isKeyLine(lines[i], key))
                found = i;
        }
        if (found >= 0) {
            QString existingKey = lines[found].left(lines[found].indexOf(u'=')).trimmed();
            lines[found] = existingKey + u'=' + value;
        } else {
            // After the section's last non-empty line, so a blank line before the next
            // section stays where it is.
            qsizetype insertAt = range.end;
            while (insertAt > range.header + 1 && lines[insertAt - 1].trimmed().isEmpty())
                --insertAt;
            lines.insert(insertAt, key + u'=' + value);
        }
    }

    QByteArray out = toCp1254(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    writeFileAtomically(path_, std::string_view(out.constData(), static_cast<size_t>(out.size())),
                        0600, failure);
}

} // namespace kuz

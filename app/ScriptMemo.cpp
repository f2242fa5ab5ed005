#include "ScriptMemo.h"

#include "ScriptText.h"

#include <QPlainTextEdit>
#include <QTextCursor>

namespace kuz {
namespace {

QString withPlainBreaks(const QString& text) {
    QString out = withCrLf(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

} // namespace

QString ScriptMemo::text() const {
    return withCrLf(memo_->toPlainText());
}

void ScriptMemo::replace(const QString& text) {
    QTextCursor cursor(memo_->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(withPlainBreaks(text));
}

void ScriptMemo::appendLine(const QString& line) {
    const QString before = text();
    QTextCursor cursor(memo_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(withPlainBreaks(kuz::appendLine(before, line).mid(before.size())));
}

} // namespace kuz

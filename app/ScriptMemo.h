#pragma once

#include <QString>

class QPlainTextEdit;

namespace kuz {

// The script memo's operations that commands use. The memo keeps plain line breaks; its text
// is read with CR LF. Every change goes through the memo's undo history, so Ctrl+Z takes back
// a command's replacement of the text.
class ScriptMemo {
public:
    explicit ScriptMemo(QPlainTextEdit* memo) : memo_(memo) {}

    QString text() const;
    void clear() { replace(QString()); }
    void replace(const QString& text);
    void appendLine(const QString& line);

private:
    QPlainTextEdit* memo_;
};

} // namespace kuz

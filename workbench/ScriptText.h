#pragma once

#include <QString>

namespace kuz {

// Every line break of a text (CR LF, lone CR, lone LF) as CR LF.
QString withCrLf(const QString& text);

// The memo's append rule: on an empty text or one that ends in a line break, the line and
// CR LF are added; otherwise CR LF and the line, with no break after it.
QString appendLine(const QString& text, const QString& line);

} // namespace kuz

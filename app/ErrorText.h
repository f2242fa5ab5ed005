#pragma once

#include <QString>

namespace kuz {

// The text of the error box: the message, with "." appended when its last character has a
// greater code than "." (so a message ending in ".", ")" or "!" stays as it is).
QString errorBoxText(const QString& message);

} // namespace kuz

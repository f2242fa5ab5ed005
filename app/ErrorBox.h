#pragma once

#include <QString>

namespace kuz {

// The error box: a modal box with the message (see errorBoxText), the application title as
// its caption, the critical icon and one OK button.
void showErrorBox(const QString& message);

} // namespace kuz

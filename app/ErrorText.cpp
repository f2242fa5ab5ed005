#include "ErrorText.h"

namespace kuz {

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

} // namespace kuz

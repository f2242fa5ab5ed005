#include "DatabaseList.h"

namespace kuz {

QString presetDatabasePattern(int year) {
    return QStringLiteral("KUZ_%_") + QString::number(year);
}

} // namespace kuz

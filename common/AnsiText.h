#pragma once

#include <QByteArray>
#include <QString>

namespace kuz {

// Text on disk is in the Windows-1254 (Turkish) code page, as the Windows program writes it.
// Conversion goes through iconv: Qt's own converters offer no single-byte Windows code pages.

// Throws std::runtime_error when the text holds a character that Windows-1254 cannot store,
// so that nothing is silently replaced.
QByteArray toCp1254(const QString& text);
QString fromCp1254(const QByteArray& bytes);

} // namespace kuz

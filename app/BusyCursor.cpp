#include "BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace kuz::cursor {

void setBusy() {
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void setDefault() {
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

bool isBusy() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c && c->shape() == Qt::WaitCursor;
}

} // namespace kuz::cursor

#include "Anchors.h"

#include <QEvent>
#include <QWidget>

namespace kuz {

Anchors::Anchors(QWidget* parent, QSize designedParentSize)
    : QObject(parent), parent_(parent), reference_(designedParentSize) {
    parent->installEventFilter(this);
}

void Anchors::anchor(QWidget* control, int edges) {
    entries_.push_back({control, edges, control->geometry()});
}

bool Anchors::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent_ && event->type() == QEvent::Resize)
        apply(parent_->size());
    return QObject::eventFilter(watched, event);
}

void Anchors::apply(QSize size) const {
    const int dw = size.width() - reference_.width();
    const int dh = size.height() - reference_.height();
    for (const Entry& e : entries_) {
        QRect r = e.designed;
        if (e.edges & Right) {
            if (e.edges & Left)
                r.setWidth(r.width() + dw);
            else
                r.moveLeft(r.left() + dw);
        }
        if (e.edges & Bottom) {
            if (e.edges & Top)
                r.setHeight(r.height() + dh);
            else
                r.moveTop(r.top() + dh);
        }
        e.control->setGeometry(r);
    }
}

} // namespace kuz

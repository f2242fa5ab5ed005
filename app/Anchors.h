#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <QVector>

class QWidget;

namespace kuz {

// Keeps controls at their distance to the edges of their parent when it grows: a control
// anchored to the right or bottom edge moves with it, one anchored to both opposite edges
// stretches. The designed geometry of each control is relative to the parent's designed size.
class Anchors : public QObject {
    Q_OBJECT
public:
    enum Edge { Left = 1, Top = 2, Right = 4, Bottom = 8 };

    Anchors(QWidget* parent, QSize designedParentSize);

    void anchor(QWidget* control, int edges);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QWidget* control;
        int edges;
        QRect designed;
    };
    void apply(QSize size) const;

    QWidget* parent_;
    QSize reference_;
    QVector<Entry> entries_;
};

} // namespace kuz

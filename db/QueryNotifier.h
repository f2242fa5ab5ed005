#pragma once

#include <QObject>

namespace kuz {

// Tells views that a query opened or closed, so a grid over it is rebuilt or goes empty.
class QueryNotifier : public QObject {
    Q_OBJECT
signals:
    void changed();
};

} // namespace kuz

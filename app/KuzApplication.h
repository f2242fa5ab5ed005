#pragma once

#include <QApplication>

namespace kuz {

// The application object. Every failure that leaves an event handler is caught here and shown
// in the error box; the program then goes on with the next event. Qt does not carry exceptions
// through its event loop, so this is the one place they are stopped.
class KuzApplication : public QApplication {
    Q_OBJECT
public:
    KuzApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace kuz

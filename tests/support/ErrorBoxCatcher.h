#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace kuz::test {

// Waits for the next modal error box, records what it shows and presses its OK button, so
// that a test can run a command that ends in the error box without blocking.
class ErrorBoxCatcher : public QObject {
public:
    ErrorBoxCatcher() {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            ++count;
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            buttons = box->buttons().size();
            box->button(QMessageBox::Ok)->click();
        });
        timer_.start();
    }

    int count = 0;
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    qsizetype buttons = 0;

private:
    QTimer timer_;
};

} // namespace kuz::test

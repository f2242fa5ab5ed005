#include "ErrorBox.h"

#include "ErrorText.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace kuz {

void showErrorBox(const QString& message) {
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                    errorBoxText(message), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

} // namespace kuz

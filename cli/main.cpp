#include "HeadlessBatch.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    const QString program =
        arguments.isEmpty() ? QStringLiteral("kuzbatch") : arguments.takeFirst();
    return kuz::kuzbatchMain(program, arguments);
}

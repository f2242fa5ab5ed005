#include "Unit2.h"

namespace kuz {

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
    resize(842, 500);
}

} // namespace kuz

#include "Forms3.h"

namespace kuz {

TForm3::TForm3(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Form3"));
    resize(1920, 699);
}

} // namespace kuz

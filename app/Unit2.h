#pragma once

#include <QWidget>

namespace kuz {

// The result window: shows the rows of the main window's script query. Created hidden at
// start; closing it only hides it, and the next Open shows it again in its place.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};

} // namespace kuz

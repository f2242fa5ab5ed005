#pragma once

#include <QWidget>

namespace kuz {

// The grid window: shows the rows of the main window's report query. Created hidden at start;
// closing it only hides it.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
};

} // namespace kuz

#pragma once

// What the main window's tests do to it as a user would.
#include "Unit1.h"

#include <QListWidget>
#include <QStringList>
#include <QTest>

namespace kuz::test {

// A click through the event loop, whose catch shows the error box.
inline void press(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// Checks exactly the named databases of the list.
inline void setMarks(TAxFirm1& window, const QStringList& checked) {
    for (int i = 0; i < window.CheckListBox1->count(); ++i) {
        QListWidgetItem* item = window.CheckListBox1->item(i);
        item->setCheckState(checked.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
}

inline QStringList checkedItems(const TAxFirm1& window) {
    QStringList out;
    for (int i = 0; i < window.CheckListBox1->count(); ++i)
        if (window.CheckListBox1->item(i)->checkState() == Qt::Checked)
            out << window.CheckListBox1->item(i)->text();
    return out;
}

} // namespace kuz::test

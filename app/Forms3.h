#pragma once

#include <QStringList>
#include <QWidget>
#include <memory>

class QLabel;
class QMenu;
class QTableView;

namespace kuz {

class Query;
class QueryModel;

// The grid window: shows what the main window's report query holds, read-only, in the
// report's 21 columns. Created hidden at start; closing it only hides it. A right click on the
// column titles lists the columns with check marks to show or hide them.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(Query& ADOQuery11, QWidget* parent = nullptr);
    ~TForm3() override;

    struct Column {
        QString field;
        QString caption; // empty: the field's name
        int width;       // 0: the grid's default
        bool hidden;
    };
    static const std::vector<Column>& columns();

    QueryModel* DataSource1 = nullptr;
    QTableView* cxGrid1DBTableView1 = nullptr;
    QLabel* cxGrid1Footer = nullptr;

    // The header's column list: one checkable entry per column, checked when shown.
    std::unique_ptr<QMenu> columnMenu();

private:
    void showColumnMenu(const QPoint& at);
    void fitRows();
};

} // namespace kuz

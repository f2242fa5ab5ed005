#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;

namespace kuz {

class Query;
class QueryModel;

// The result window: both grids show the rows of the main window's script query and share its
// current row. Created hidden at start; closing it only hides it, and the next Open shows it
// again in its place.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(Query& ADOQuery1, QWidget* parent = nullptr);
    ~TForm2() override;

    QueryModel* DataSource1 = nullptr;
    QTableView* DBGrid1 = nullptr;
    QWidget* cxGrid1 = nullptr;
    QTableView* cxGrid1DBTableView1 = nullptr;
    QLabel* cxGrid1Footer = nullptr;
    QPushButton* Button1 = nullptr;

    // The lower grid's columns: the voucher statement's fields, with their widths.
    static const QStringList lowerGridFields;

private:
    void followCurrentRow(QTableView* from, QTableView* to, int row);
    void fitRows();

    QueryModel* lowerModel_ = nullptr;
    bool following_ = false;
};

} // namespace kuz

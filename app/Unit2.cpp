#include "Unit2.h"

#include "GridStyle.h"
#include "Query.h"
#include "QueryModel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace kuz {

const QStringList TForm2::lowerGridFields = {
    QStringLiteral("MUHHAREVRAKTAR"), QStringLiteral("MUHHARACIKLAMA"),
    QStringLiteral("MUHHARTUTAR"),    QStringLiteral("MUHHAREVRAKNO"),
    QStringLiteral("MUHHARBATIPI"),   QStringLiteral("MUHHARSIRANO")};

TForm2::TForm2(Query& ADOQuery1, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
    resize(842, 500);

    DataSource1 = new QueryModel(ADOQuery1, {}, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    lowerModel_ = new QueryModel(ADOQuery1, lowerGridFields, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* strip = new QWidget(this);
    strip->setFixedHeight(49);
    Button1 = new QPushButton(QStringLiteral("Sırala"), strip);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(736, 24, 75, 25); // pressing it does nothing
    layout->addWidget(strip);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setMinimumHeight(273);
    DBGrid1->setModel(DataSource1);
    grid::styleReadOnly(DBGrid1);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(DBGrid1, 1);

    cxGrid1 = new QWidget(this);
    cxGrid1->setObjectName(QStringLiteral("cxGrid1"));
    cxGrid1->setFixedHeight(182);
    auto* lower = new QVBoxLayout(cxGrid1);
    lower->setContentsMargins(0, 0, 0, 0);
    lower->setSpacing(0);
    cxGrid1DBTableView1 = new QTableView(cxGrid1);
    cxGrid1DBTableView1->setObjectName(QStringLiteral("cxGrid1DBTableView1"));
    cxGrid1DBTableView1->setModel(lowerModel_);
    grid::styleTableView(cxGrid1DBTableView1);
    const int widths[] = {95, 163, 111, 131, 97, 98};
    for (int c = 0; c < 6; ++c)
        cxGrid1DBTableView1->setColumnWidth(c, widths[c]);
    lower->addWidget(cxGrid1DBTableView1, 1);
    cxGrid1Footer = grid::addFooter(cxGrid1);
    lower->addWidget(cxGrid1Footer);
    layout->addWidget(cxGrid1);

    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                followCurrentRow(DBGrid1, cxGrid1DBTableView1, current.row());
            });
    connect(cxGrid1DBTableView1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                followCurrentRow(cxGrid1DBTableView1, DBGrid1, current.row());
            });
    connect(lowerModel_, &QAbstractItemModel::modelReset, this, &TForm2::fitRows);
}

TForm2::~TForm2() = default;

void TForm2::followCurrentRow(QTableView* from, QTableView* to, int row) {
    if (following_ || row < 0)
        return;
    following_ = true;
    auto* model = static_cast<QueryModel*>(from->model());
    model->query().setPosition(row);
    const int column = std::max(to->currentIndex().column(), 0);
    to->selectionModel()->setCurrentIndex(to->model()->index(row, column),
                                          QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
    following_ = false;
}

void TForm2::fitRows() {
    grid::fitRows(cxGrid1DBTableView1);
}

} // namespace kuz

#include "Forms3.h"

#include "GridStyle.h"
#include "Query.h"
#include "QueryModel.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

namespace kuz {
const std::vector<TForm3::Column>& TForm3::columns() {
    static const std::vector<Column> list = {
        {u"DMKKOD"_qs, u"KOD"_qs, 196, false},
        {u"DMKCINSI"_qs, u"CİNSİ"_qs, 251, false},
        {u"DMKAMORTYUZDE"_qs, u"AMOR YÜZDE"_qs, 97, false},
        {u"DMKGIRTARIH"_qs, u"GİRİŞ TARİHİ"_qs, 0, false},
        {u"DMKGIRTUTAR"_qs, u"TUTAR"_qs, 83, false},
        {u"DMKAMORTSURE"_qs, u"AMORTSURE"_qs, 77, false},
        {u"DMKAMORTBITIS"_qs, u"AMORTBITIS"_qs, 82, false},
        {u"DMHYIL"_qs, u"YIL"_qs, 56, false},
        {u"DONEM"_qs, QString(), 46, false},
        {u"DMHDUZONCAKTIF1"_qs, u"DUZ.ONC.AKTFF"_qs, 94, false},
        {u"DMHDUZSONAKTIF1"_qs, u"DÜZ.SON.AKTİF"_qs, 92, false},
        {u"DMHAKTIFFARK1"_qs, u"AKTIFFARK"_qs, 78, false},
        {u"DMHDEGARTFON1"_qs, u"DEG.ART.FON"_qs, 88, true},
        {u"DMHDUZONCBIRIK1"_qs, u"DUZ.ONC.BIRIK"_qs, 102, false},
        {u"DMHDUZSONBIRIK1"_qs, u"DUZ.SON.BIRIK"_qs, 92, false},
        {u"DMHBIRIKFARK1"_qs, u"BIRIK.FARK"_qs, 69, false},
        {u"DMHAYRILAN1"_qs, u"AYRILAN"_qs, 72, false},
        {u"DMHAMORTORAN1"_qs, u"AMORT.ORAN"_qs, 87, false},
        {u"DMHDUZKATSAYI1"_qs, u"DÜZ.KATSAYI"_qs, 84, false},
        {u"TOPBIRAMORT"_qs, QString(), 97, false},
        {u"TOPAKTIFDEGER"_qs, QString(), 95, false},
    };
    return list;
}

TForm3::TForm3(Query& ADOQuery11, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Form3"));
    resize(1920, 699);

    QStringList fields, captions;
    for (const Column& c : columns()) {
        fields << c.field;
        captions << c.caption;
    }
    DataSource1 = new QueryModel(ADOQuery11, fields, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setCaptions(captions);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    cxGrid1DBTableView1 = new QTableView(this);
    cxGrid1DBTableView1->setObjectName(QStringLiteral("cxGrid1DBTableView1"));
    cxGrid1DBTableView1->setModel(DataSource1);
    grid::styleTableView(cxGrid1DBTableView1);
    QHeaderView* header = cxGrid1DBTableView1->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QWidget::customContextMenuRequested, this, &TForm3::showColumnMenu);
    for (size_t c = 0; c < columns().size(); ++c) {
        const int section = static_cast<int>(c);
        if (columns()[c].width > 0)
            cxGrid1DBTableView1->setColumnWidth(section, columns()[c].width);
        cxGrid1DBTableView1->setColumnHidden(section, columns()[c].hidden);
    }
    layout->addWidget(cxGrid1DBTableView1, 1);
    cxGrid1Footer = grid::addFooter(this);
    layout->addWidget(cxGrid1Footer);
    connect(DataSource1, &QAbstractItemModel::modelReset, this, &TForm3::fitRows);
}

TForm3::~TForm3() = default;

std::unique_ptr<QMenu> TForm3::columnMenu() {
    auto menu = std::make_unique<QMenu>(this);
    for (size_t c = 0; c < columns().size(); ++c) {
        const int section = static_cast<int>(c);
        QAction* action = menu->addAction(
            DataSource1->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString());
        action->setCheckable(true);
        action->setChecked(!cxGrid1DBTableView1->isColumnHidden(section));
        connect(action, &QAction::toggled, this, [this, section](bool shown) {
            cxGrid1DBTableView1->setColumnHidden(section, !shown);
        });
    }
    return menu;
}

void TForm3::showColumnMenu(const QPoint& at) {
    columnMenu()->exec(cxGrid1DBTableView1->horizontalHeader()->mapToGlobal(at));
}

void TForm3::fitRows() {
    grid::fitRows(cxGrid1DBTableView1);
}

} // namespace kuz

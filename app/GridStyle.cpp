#include "GridStyle.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>

namespace kuz::grid {

namespace {
constexpr int fittedRowLimit = 2000;
}

void styleReadOnly(QTableView* grid) {
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setMinimumWidth(11);
    grid->verticalHeader()->setDefaultSectionSize(17);
    grid->setShowGrid(true);
}

void styleTableView(QTableView* grid) {
    styleReadOnly(grid);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setWordWrap(true);
    grid->horizontalHeader()->setDefaultAlignment(
        Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap));
}

QLabel* addFooter(QWidget* parent) {
    auto* footer = new QLabel(parent);
    footer->setObjectName(QStringLiteral("cxGrid1Footer"));
    footer->setFixedHeight(19);
    footer->setFrameShape(QFrame::StyledPanel);
    return footer;
}

void fitRows(QTableView* grid) {
    if (grid->model() && grid->model()->rowCount() <= fittedRowLimit)
        grid->resizeRowsToContents();
}

} // namespace kuz::grid

#pragma once

class QLabel;
class QTableView;
class QWidget;

namespace kuz::grid {

// The grids' common look: whole-row selection, no in-place editing, a narrow row indicator,
// grid lines.
void styleReadOnly(QTableView* grid);

// A view-style grid as well: several rows selectable, cells and titles wrapping their text.
void styleTableView(QTableView* grid);

// The footer row under a table view: shown, with no summary items.
QLabel* addFooter(QWidget* parent);

// Fits the row heights to their text, for results a user can read through; a huge result
// keeps the default height rather than measuring every row.
void fitRows(QTableView* grid);

} // namespace kuz::grid

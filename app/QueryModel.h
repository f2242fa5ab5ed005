#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace kuz {

class Query;

// The rows of a query for a grid. Without a column list it shows one column per field of the
// result, titled with the field names; with one, exactly those columns, each showing the field
// of its name where the result has one and nothing otherwise. It follows the query: when the
// query closes the grid goes empty, when it opens the grid is rebuilt.
class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit QueryModel(Query& query, QStringList fixedFields = {}, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    Query& query() const { return query_; }
    // Titles for the fixed columns; an empty one shows the field's name.
    void setCaptions(QStringList captions) { captions_ = std::move(captions); }
    // The query's field shown in a column, or -1.
    int fieldOf(int column) const;

private:
    void rebuild();

    Query& query_;
    QStringList fixedFields_;
    QStringList captions_;
    std::vector<int> fieldOfColumn_;
};

} // namespace kuz

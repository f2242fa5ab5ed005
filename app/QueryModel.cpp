#include "QueryModel.h"

#include "Query.h"

#include <QLocale>

namespace kuz {

QueryModel::QueryModel(Query& query, QStringList fixedFields, QObject* parent)
    : QAbstractTableModel(parent), query_(query), fixedFields_(std::move(fixedFields)) {
    connect(&query_.notifier(), &QueryNotifier::changed, this, &QueryModel::rebuild);
    rebuild();
}

void QueryModel::rebuild() {
    beginResetModel();
    fieldOfColumn_.clear();
    if (fixedFields_.isEmpty()) {
        for (int i = 0; i < query_.fieldCount(); ++i)
            fieldOfColumn_.push_back(i);
    } else {
        for (const QString& name : fixedFields_) {
            int field = -1;
            for (int i = 0; i < query_.fieldCount(); ++i)
                if (query_.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
                    field = i;
            fieldOfColumn_.push_back(field);
        }
    }
    endResetModel();
}

int QueryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !query_.isOpen() ? 0 : static_cast<int>(query_.recordCount());
}

int QueryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(fieldOfColumn_.size());
}

int QueryModel::fieldOf(int column) const {
    return column >= 0 && column < static_cast<int>(fieldOfColumn_.size())
               ? fieldOfColumn_[static_cast<size_t>(column)]
               : -1;
}

QVariant QueryModel::data(const QModelIndex& index, int role) const {
    const int field = fieldOf(index.column());
    if (field < 0 || !query_.isOpen() || index.row() >= query_.recordCount())
        return {};
    const qsizetype row = index.row();
    const FieldKind kind = query_.fieldKind(field);
    if (role == Qt::TextAlignmentRole)
        return kind == FieldKind::Text || kind == FieldKind::DateTime
                   ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (query_.isNull(field, row))
        return QString();
    if (kind == FieldKind::DateTime) {
        const QDateTime when = query_.asDateTime(field, row);
        const QString format = when.time() == QTime(0, 0) ? QStringLiteral("dd.MM.yyyy")
                                                          : QStringLiteral("dd.MM.yyyy HH:mm:ss");
        return when.toString(format);
    }
    return query_.asText(field, row);
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString();
    if (!fixedFields_.isEmpty()) {
        if (section < captions_.size() && !captions_[section].isEmpty())
            return captions_[section];
        return section < fixedFields_.size() ? fixedFields_[section] : QString();
    }
    const int field = fieldOf(section);
    return field >= 0 ? query_.fieldName(field) : QString();
}

} // namespace kuz

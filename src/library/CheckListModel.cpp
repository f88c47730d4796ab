#include "library/CheckListModel.h"

CheckListModel::CheckListModel(QString heading, QObject* parent)
    : QAbstractListModel(parent), m_heading(std::move(heading))
{
}

QModelIndex CheckListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || row >= count() || column != 0 || parent.isValid())
        return {};
    return createIndex(row, column);
}

int CheckListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant CheckListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count() || index.column() != 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_entries.textStart(index.row(), kShownLength);
    case Qt::CheckStateRole:
        return m_entries.ticked(index.row()) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool CheckListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= count())
        return false;
    const bool ticked = value.toInt() == Qt::Checked;
    if (m_entries.ticked(index.row()) == ticked)
        return true;
    m_entries.setTicked(index.row(), ticked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit tickChangedByUser(index.row());
    return true;
}

Qt::ItemFlags CheckListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
           Qt::ItemNeverHasChildren;
}

QVariant CheckListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_heading;
    return {};
}

void CheckListModel::setEntries(const QList<Record>& entries)
{
    setStore(RecordStore(entries));
}

void CheckListModel::setStore(RecordStore entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void CheckListModel::clear()
{
    setStore({});
}

void CheckListModel::append(const Record& entry)
{
    const int row = count();
    beginInsertRows({}, row, row);
    m_entries.append(entry);
    endInsertRows();
}

void CheckListModel::setText(int row, const QString& text)
{
    if (row < 0 || row >= count())
        return;
    m_entries.setText(row, text);
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void CheckListModel::setTicked(int row, bool ticked)
{
    if (row < 0 || row >= count() || m_entries.ticked(row) == ticked)
        return;
    m_entries.setTicked(row, ticked);
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

void CheckListModel::removeAt(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows({}, row, row);
    m_entries.removeAt(row);
    endRemoveRows();
}

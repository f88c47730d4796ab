#pragma once

// What a list of the Programs page shows: each row's text and tick.
#include <QAbstractItemView>
#include <QList>
#include <QStringList>

namespace ListRows {

inline QStringList texts(const QAbstractItemView* view)
{
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        out << view->model()->index(r, 0).data().toString();
    return out;
}

inline QList<bool> ticks(const QAbstractItemView* view)
{
    QList<bool> out;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        out << (view->model()->index(r, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked);
    return out;
}

} // namespace ListRows

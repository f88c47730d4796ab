#include "ui/TickDelegate.h"

#include <QEvent>
#include <utility>

bool TickDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                               const QStyleOptionViewItem& option, const QModelIndex& index)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_pressOnTick = QStyledItemDelegate::editorEvent(event, model, option, index);
        m_releaseOfDouble = false;
        return m_pressOnTick;
    case QEvent::MouseButtonDblClick:
        m_releaseOfDouble = QStyledItemDelegate::editorEvent(event, model, option, index);
        return m_releaseOfDouble;
    case QEvent::MouseButtonRelease:
        if (std::exchange(m_releaseOfDouble, false))
            return true;
        break;
    default:
        break;
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

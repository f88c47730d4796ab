#pragma once

#include <QStyledItemDelegate>

// A tick box changes its tick and does nothing else: a click on it is no click on the entry
// (which would choose it and put its text into the edit box), and a double-click on it changes
// the tick once, as the second press of a double-click is no second click.
class TickDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Whether the last press on an entry landed on its tick box.
    bool pressWasOnTick() const { return m_pressOnTick; }

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    bool m_pressOnTick = false;
    bool m_releaseOfDouble = false;
};

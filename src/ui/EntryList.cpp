#include "ui/EntryList.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalBlocker>

EntryList::EntryList(QWidget* parent) : QTableView(parent)
{
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    QHeaderView* heading = horizontalHeader();
    heading->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    heading->setHighlightSections(false);
    heading->setStretchLastSection(true);
    heading->setSectionsClickable(false);
    heading->setSectionsMovable(false);
}

bool EntryList::event(QEvent* event)
{
    const bool handled = QTableView::event(event);
    switch (event->type()) {
    case QEvent::Polish:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        fitRowHeight();
        break;
    default:
        break;
    }
    return handled;
}

QModelIndex EntryList::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    // One column: Home and End would only go to the start and end of the current row.
    if (cursorAction == MoveHome || cursorAction == MoveEnd)
        modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(cursorAction, modifiers);
}

void EntryList::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    // Scrolled to the end, the table would push the last row down to the bottom edge and cut
    // the top one; the list keeps its top row whole there too, as everywhere else.
    QHeaderView* rows = verticalHeader();
    if (dy == 0 || verticalScrollMode() != ScrollPerItem || rows->count() == 0)
        return;
    const int top = rows->sectionPosition(rows->logicalIndex(verticalScrollBar()->value()));
    if (top >= 0 && rows->offset() != top) {
        rows->setOffset(top);
        viewport()->update();
    }
}

void EntryList::fitRowHeight()
{
    // What the item delegate measures for an entry with a text and a tick box.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasCheckIndicator;
    option.text = QStringLiteral("X");
    option.checkState = Qt::Checked;
    const int height =
        style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height();
    QHeaderView* rows = verticalHeader();
    if (height <= 0 || height == rows->defaultSectionSize())
        return;
    // Each row would announce its new height: the view is brought up to date once instead.
    {
        const QSignalBlocker quiet(rows);
        rows->setDefaultSectionSize(height);
    }
    updateGeometries();
    viewport()->update();
}

#pragma once

#include <QTableView>

// The list of a Programs page panel: one column of texts with tick boxes under a heading.
// Rows are all of one height, so a list of a million entries is laid out by arithmetic rather
// than entry by entry: choosing a program of a million messages costs a few milliseconds and
// about eight bytes a row in the view. It looks and answers the keys as a one-column tree
// list does: Home and End go to the first and last entry.
class EntryList : public QTableView
{
public:
    explicit EntryList(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Sets the height of every row to that of one line of text beside a tick box, in the
    // list's font and style.
    void fitRowHeight();
};

#pragma once

#include <QList>
#include <QString>
#include <functional>

class CheckListModel;
class QAction;
class QObject;
class ImageButton;
class QKeyEvent;
class QLineEdit;
class EntryList;
class QWidget;

// How the Programs page looks: its two halves, built alike (a heading and a caption over a list
// of ticked entries that takes the free height, a text box under the list, and a row of
// pictures spread over the width), and the start/stop picture below them. Every control
// carries its established name as its object name. Also how its lists and boxes take the
// user's mouse and keys.
namespace ProgramsPanels {

// The page's size, background, font and style.
void dress(QWidget* page);

struct Built
{
    EntryList* list;
    QLineEdit* box;
    QList<ImageButton*> pictures; // from left to right
};

// The left half: the program list `lvwDisplayFiles`, the name box, Create and Delete.
Built programList(CheckListModel* programs, QWidget* page);
// The right half: the message list `lvwDisplay`, the edit box, Add New, Edit and Delete.
Built messageList(CheckListModel* messages, QWidget* page);

// The start/stop picture below both halves, centred.
ImageButton* startPicture(QWidget* page);

// A command of the page: an action named `name` that runs `run` on its access key and on a
// click of `picture` (if any). The key acts only while the page is shown and enabled, so a page
// behind the one in front takes none. `filter` sees the action's events.
QAction* command(QWidget* page, QObject* filter, const QString& caption, const QString& name,
                 ImageButton* picture, const std::function<void()>& run);

// Calls `chosen` when the user chooses an entry of such a list: makes it the current one (with
// the mouse or the keyboard), or clicks the entry that already was the current one. A click on
// a tick box chooses nothing, and changes of the current entry made while `quiet` is set are
// the program's own.
void onChosen(EntryList* list, const bool& quiet, std::function<void()> chosen);
// The characters a key press types into a text box; empty for Tab and keys that type nothing.
QString typedBy(const QKeyEvent* key);
// The list's current row, or -1.
int currentRow(const EntryList* list);
// Makes `row` the list's current and only selected row, scrolled into view; -1 selects none.
void select(EntryList* list, int row);

} // namespace ProgramsPanels

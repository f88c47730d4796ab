#include "ui/ProgramsPanels.h"

#include "library/CheckListModel.h"
#include "ui/EntryList.h"
#include "ui/ImageButton.h"
#include "ui/Palette.h"
#include "ui/TickDelegate.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <limits>

namespace {

QLabel* makeLabel(const char* text, const char* name, bool heading, QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setProperty("heading", heading);
    return label;
}

EntryList* makeList(CheckListModel* model, const char* name, QWidget* parent)
{
    auto* view = new EntryList(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setModel(model);
    view->setItemDelegate(new TickDelegate(view));
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTextElideMode(Qt::ElideRight);
    return view;
}

QLineEdit* makeBox(const char* name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    // No length limit: the toolkit's default would cut a long message in silence, and an Edit
    // would then store the cut text.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

// Remembers which entry was the current one when the mouse was pressed on the list.
class PressWatch : public QObject
{
public:
    explicit PressWatch(EntryList* list) : QObject(list), m_list(list)
    {
        list->viewport()->installEventFilter(this);
    }
    int rowBeforePress() const { return m_rowBeforePress; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            m_rowBeforePress = ProgramsPanels::currentRow(m_list);
        return false;
    }

private:
    EntryList* m_list;
    int m_rowBeforePress = -1;
};

struct Picture
{
    const char* key; // in the picture list
    const char* name;
};

struct Parts
{
    const char* name;
    QRect geometry;
    const char* heading;
    const char* headingName;
    const char* caption;
    const char* captionName;
    const char* listName;
    const char* boxName;
    QList<Picture> pictures;
    int pictureSpacing;
};

ProgramsPanels::Built build(const Parts& parts, CheckListModel* model, QWidget* page)
{
    auto* panel = new QWidget(page);
    panel->setObjectName(QString::fromLatin1(parts.name));
    panel->setGeometry(parts.geometry);
    QLabel* heading = makeLabel(parts.heading, parts.headingName, true, panel);
    QLabel* caption = makeLabel(parts.caption, parts.captionName, false, panel);
    ProgramsPanels::Built built{
        makeList(model, parts.listName, panel), makeBox(parts.boxName, panel), {}};
    for (const Picture& picture : parts.pictures) {
        auto* button = new ImageButton(QString::fromLatin1(picture.key), panel);
        button->setObjectName(QString::fromLatin1(picture.name));
        built.pictures.append(button);
    }

    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(8, 6, 8, 6);
    column->setSpacing(4);
    column->addWidget(heading);
    column->addWidget(caption);
    column->addWidget(built.list, 1);
    column->addWidget(built.box);
    auto* row = new QHBoxLayout;
    row->setSpacing(parts.pictureSpacing);
    for (ImageButton* button : built.pictures) {
        if (button != built.pictures.first())
            row->addStretch(1);
        row->addWidget(button);
    }
    column->addLayout(row);
    return built;
}

} // namespace

namespace ProgramsPanels {

void dress(QWidget* page)
{
    page->setObjectName(QStringLiteral("Picture2"));
    page->setFixedSize(553, 311);
    page->setAttribute(Qt::WA_StyledBackground);
    // An empty tick box must stand out from the dark list as clearly as a ticked one.
    page->setStyleSheet(Palette::pageStyleSheet() +
                        QStringLiteral("QTableView::indicator:unchecked { border: 1px solid "
                                       "rgb(139, 198, 250); background-color: rgb(4, 64, 115); }"));
    QFont font(Palette::fontFamily);
    font.setPointSize(8);
    page->setFont(font);
}

Built programList(CheckListModel* programs, QWidget* page)
{
    return build({.name = "picProg",
                  .geometry = QRect(0, 0, 258, 255),
                  .heading = "Programs",
                  .headingName = "Label25",
                  .caption = "Category of Subliminal Messages",
                  .captionName = "lblPrograms",
                  .listName = "lvwDisplayFiles",
                  .boxName = "txtNewFileName",
                  .pictures = {{"create", "picCreateFile"}, {"delete", "picDeleteFile"}},
                  .pictureSpacing = 6},
                 programs, page);
}

Built messageList(CheckListModel* messages, QWidget* page)
{
    return build(
        {.name = "Picture5",
         .geometry = QRect(260, 0, 293, 255),
         .heading = "Messages",
         .headingName = "Label26",
         .caption = "Messages for each Category",
         .captionName = "lblMessages",
         .listName = "lvwDisplay",
         .boxName = "txtEditText",
         .pictures = {{"add-new", "picAddNew"}, {"edit", "picUpdate"}, {"delete", "picDeleteText"}},
         .pictureSpacing = 4},
        messages, page);
}

ImageButton* startPicture(QWidget* page)
{
    auto* picture = new ImageButton(QStringLiteral("start-showing-2"), page);
    picture->setObjectName(QStringLiteral("picStart1"));
    picture->setPair(QStringLiteral("stop-showing-2"), QStringLiteral("stop-showing-2-hyper"));
    picture->move((page->width() - picture->width()) / 2, 264);
    return picture;
}

void onChosen(EntryList* list, const bool& quiet, std::function<void()> chosen)
{
    auto* presses = new PressWatch(list);
    QObject::connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, list,
                     [&quiet, chosen] {
                         if (!quiet)
                             chosen();
                     });
    QObject::connect(list, &QAbstractItemView::clicked, list,
                     [list, presses, &quiet, chosen](const QModelIndex& clicked) {
                         const auto* ticks = static_cast<const TickDelegate*>(list->itemDelegate());
                         if (!quiet && clicked.row() == presses->rowBeforePress() &&
                             !ticks->pressWasOnTick())
                             chosen();
                     });
}

QString typedBy(const QKeyEvent* key)
{
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return {};
    QString typed = key->text();
    // Some platforms report Ctrl+V as "v" with the Control key held; it is the control
    // character of the clipboard shortcut all the same.
    const Qt::KeyboardModifiers mods = key->modifiers();
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && typed.size() == 1 &&
        typed.at(0).unicode() < 128 && typed.at(0).isLetter())
        typed = QChar(typed.at(0).toUpper().unicode() - 64);
    return typed;
}

int currentRow(const EntryList* list)
{
    const QModelIndex current = list->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void select(EntryList* list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    if (index.isValid())
        list->scrollTo(index);
}

QAction* command(QWidget* page, QObject* filter, const QString& caption, const QString& name,
                 ImageButton* picture, const std::function<void()>& run)
{
    auto* action = new QAction(caption, page);
    action->setObjectName(name);
    action->setShortcut(QKeySequence::mnemonic(caption));
    action->setShortcutContext(Qt::WindowShortcut);
    // Alt+D is both "&Delete" and "E&dit": while both can act the key is ambiguous and does
    // nothing, as no one can tell which the user meant.
    action->installEventFilter(filter);
    page->addAction(action);
    QObject::connect(action, &QAction::triggered, page, run);
    if (picture)
        QObject::connect(picture, &ImageButton::clicked, page, run);
    return action;
}

} // namespace ProgramsPanels

#include "ui/ProgramsPage.h"

#include "core/Cp1252.h"
#include "core/Prompt.h"
#include "library/CheckListModel.h"
#include "library/ProgramNames.h"
#include "library/RecordFormat.h"
#include "ui/ImageButton.h"
#include "ui/Palette.h"

#include <QAction>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>
#include <limits>
#include <utility>

namespace {

bool acceptedInName(char32_t code)
{
    return code == 8 || code == 32 || (code >= 48 && code <= 57) || (code >= 65 && code <= 90) ||
           (code >= 97 && code <= 122) || code == 127;
}

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QLabel* makeLabel(const QString& text, const QString& name, bool heading, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setProperty("heading", heading);
    return label;
}

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
                     const QModelIndex& index) override
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

private:
    bool m_pressOnTick = false;
    bool m_releaseOfDouble = false;
};

QTreeView* makeList(CheckListModel* model, const QString& name, QWidget* parent)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(name);
    view->setModel(model);
    view->setItemDelegate(new TickDelegate(view));
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    // Equal rows let the view lay out tens of thousands of entries without measuring each.
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAllColumnsShowFocus(true);
    view->setTextElideMode(Qt::ElideRight);
    view->header()->setStretchLastSection(true);
    view->header()->setSectionsClickable(false);
    view->header()->setSectionsMovable(false);
    return view;
}

QLineEdit* makeBox(const QString& name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    // No length limit: the toolkit's default would cut a long message in silence, and an Edit
    // would then store the cut text.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

bool pressWasOnTick(const QTreeView* view)
{
    const auto* ticks = static_cast<const TickDelegate*>(view->itemDelegate());
    return ticks->pressWasOnTick();
}

QWidget* makePanel(const QString& name, QRect geometry, QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    panel->setGeometry(geometry);
    return panel;
}

} // namespace

ProgramsPage::ProgramsPage(LibraryFiles files, QWidget* parent)
    : QWidget(parent), m_files(std::move(files))
{
    setObjectName(QStringLiteral("Picture2"));
    setFixedSize(553, 311);
    setAttribute(Qt::WA_StyledBackground);
    // An empty tick box must stand out from the dark list as clearly as a ticked one.
    setStyleSheet(Palette::pageStyleSheet() +
                  QStringLiteral("QTreeView::indicator:unchecked { border: 1px solid "
                                 "rgb(139, 198, 250); background-color: rgb(4, 64, 115); }"));
    QFont font(Palette::fontFamily);
    font.setPointSize(8);
    setFont(font);

    m_programs = new CheckListModel(QStringLiteral("Files"), this);
    m_messages = new CheckListModel(QStringLiteral("Text"), this);

    // Left half: the program list.
    m_picProg = makePanel(QStringLiteral("picProg"), QRect(0, 0, 258, 255), this);
    m_label25 = makeLabel(QStringLiteral("Programs"), QStringLiteral("Label25"), true, m_picProg);
    m_lblPrograms = makeLabel(QStringLiteral("Category of Subliminal Messages"),
                              QStringLiteral("lblPrograms"), false, m_picProg);
    m_lvwDisplayFiles = makeList(m_programs, QStringLiteral("lvwDisplayFiles"), m_picProg);
    m_txtNewFileName = makeBox(QStringLiteral("txtNewFileName"), m_picProg);
    m_picCreateFile = new ImageButton(QStringLiteral("create"), m_picProg);
    m_picCreateFile->setObjectName(QStringLiteral("picCreateFile"));
    m_picDeleteFile = new ImageButton(QStringLiteral("delete"), m_picProg);
    m_picDeleteFile->setObjectName(QStringLiteral("picDeleteFile"));
    {
        auto* column = new QVBoxLayout(m_picProg);
        column->setContentsMargins(8, 6, 8, 6);
        column->setSpacing(4);
        column->addWidget(m_label25);
        column->addWidget(m_lblPrograms);
        column->addWidget(m_lvwDisplayFiles, 1);
        column->addWidget(m_txtNewFileName);
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(6);
        buttons->addWidget(m_picCreateFile);
        buttons->addStretch(1);
        buttons->addWidget(m_picDeleteFile);
        column->addLayout(buttons);
    }

    // Right half: the messages of the selected program.
    m_picture5 = makePanel(QStringLiteral("Picture5"), QRect(260, 0, 293, 255), this);
    m_label26 = makeLabel(QStringLiteral("Messages"), QStringLiteral("Label26"), true, m_picture5);
    m_lblMessages = makeLabel(QStringLiteral("Messages for each Category"),
                              QStringLiteral("lblMessages"), false, m_picture5);
    m_lvwDisplay = makeList(m_messages, QStringLiteral("lvwDisplay"), m_picture5);
    m_txtEditText = makeBox(QStringLiteral("txtEditText"), m_picture5);
    m_picAddNew = new ImageButton(QStringLiteral("add-new"), m_picture5);
    m_picAddNew->setObjectName(QStringLiteral("picAddNew"));
    m_picUpdate = new ImageButton(QStringLiteral("edit"), m_picture5);
    m_picUpdate->setObjectName(QStringLiteral("picUpdate"));
    m_picDeleteText = new ImageButton(QStringLiteral("delete"), m_picture5);
    m_picDeleteText->setObjectName(QStringLiteral("picDeleteText"));
    {
        auto* column = new QVBoxLayout(m_picture5);
        column->setContentsMargins(8, 6, 8, 6);
        column->setSpacing(4);
        column->addWidget(m_label26);
        column->addWidget(m_lblMessages);
        column->addWidget(m_lvwDisplay, 1);
        column->addWidget(m_txtEditText);
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(4);
        buttons->addWidget(m_picAddNew);
        buttons->addStretch(1);
        buttons->addWidget(m_picUpdate);
        buttons->addStretch(1);
        buttons->addWidget(m_picDeleteText);
        column->addLayout(buttons);
    }

    // Below both panels, centred.
    m_picStart1 = new ImageButton(QStringLiteral("start-showing-2"), this);
    m_picStart1->setObjectName(QStringLiteral("picStart1"));
    m_picStart1->setPair(QStringLiteral("stop-showing-2"), QStringLiteral("stop-showing-2-hyper"));
    m_picStart1->move((553 - m_picStart1->width()) / 2, 264);

    // The commands: each one slot, run by its picture and by its access key. The keys act
    // only while the page is shown and enabled, so a page behind the one in front takes none.
    m_cmdCreateFile = command(QStringLiteral("&Create"), QStringLiteral("cmdCreateFile"),
                              &ProgramsPage::cmdCreateFile_Click);
    m_cmdDeleteFile = command(QStringLiteral("&Delete"), QStringLiteral("cmdDeleteFile"),
                              &ProgramsPage::cmdDeleteFile_Click);
    m_cmdAddNew = command(QStringLiteral("&Add New"), QStringLiteral("cmdAddNew"),
                          &ProgramsPage::cmdAddNew_Click);
    m_cmdUpdate = command(QStringLiteral("E&dit"), QStringLiteral("cmdUpdate"),
                          &ProgramsPage::cmdUpdate_Click);
    m_cmdDeleteText = command(QStringLiteral("D&elete"), QStringLiteral("cmdDeleteText"),
                              &ProgramsPage::cmdDeleteText_Click);
    m_cmdAddNew->setEnabled(false);
    m_cmdUpdate->setEnabled(false);

    // The pictures of Create and Add New first tell the user what to type.
    connect(m_picCreateFile, &ImageButton::clicked, this, &ProgramsPage::picCreateFile_Click);
    connect(m_picDeleteFile, &ImageButton::clicked, this, &ProgramsPage::cmdDeleteFile_Click);
    connect(m_picAddNew, &ImageButton::clicked, this, &ProgramsPage::picAddNew_Click);
    connect(m_picUpdate, &ImageButton::clicked, this, &ProgramsPage::cmdUpdate_Click);
    connect(m_picDeleteText, &ImageButton::clicked, this, &ProgramsPage::cmdDeleteText_Click);

    connect(m_txtEditText, &QLineEdit::textChanged, this, &ProgramsPage::txtEditText_Change);
    m_txtNewFileName->installEventFilter(this);

    // The program list: a new current entry (mouse or keyboard) loads its messages, and so
    // does a click on the entry that already was the current one.
    m_lvwDisplayFiles->viewport()->installEventFilter(this);
    connect(m_lvwDisplayFiles->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] {
                if (!m_programmatic)
                    lvwDisplayFiles_Click();
            });
    connect(m_lvwDisplayFiles, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
        if (!m_programmatic && i.row() == m_programRowBeforePress &&
            !pressWasOnTick(m_lvwDisplayFiles))
            lvwDisplayFiles_Click();
    });
    connect(m_programs, &CheckListModel::tickChangedByUser, this,
            [this](int row) { lvwDisplayFiles_ItemCheck(row); });

    connect(m_lvwDisplay->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_programmatic && current.isValid())
                    lvwDisplay_ItemClick(current.row());
            });
    connect(m_lvwDisplay, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
        if (!m_programmatic && !pressWasOnTick(m_lvwDisplay))
            lvwDisplay_ItemClick(i.row());
    });
    connect(m_messages, &CheckListModel::tickChangedByUser, this,
            &ProgramsPage::lvwDisplay_ItemCheck);
}

QAction* ProgramsPage::command(const QString& caption, const QString& name,
                               void (ProgramsPage::*slot)())
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(QKeySequence::mnemonic(caption));
    action->setShortcutContext(Qt::WindowShortcut);
    // Alt+D is both "&Delete" and "E&dit": while both can act the key is ambiguous and does
    // nothing, as no one can tell which the user meant.
    action->installEventFilter(this);
    addAction(action);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

int ProgramsPage::selectedProgram() const
{
    const QModelIndex current = m_lvwDisplayFiles->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

int ProgramsPage::selectedMessage() const
{
    const QModelIndex current = m_lvwDisplay->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

QString ProgramsPage::selectedProgramName() const
{
    const int row = selectedProgram();
    return row < 0 ? QString() : m_programs->at(row).text;
}

void ProgramsPage::selectProgram(int row)
{
    const QScopedValueRollback guard(m_programmatic, true);
    const QModelIndex index = m_programs->index(row);
    m_lvwDisplayFiles->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (index.isValid())
        m_lvwDisplayFiles->scrollTo(index);
}

void ProgramsPage::selectMessage(int row)
{
    const QScopedValueRollback guard(m_programmatic, true);
    const QModelIndex index = m_messages->index(row);
    m_lvwDisplay->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
    if (index.isValid())
        m_lvwDisplay->scrollTo(index);
}

void ProgramsPage::tellNotSaved(const QString& path, const QString& error)
{
    Prompt::current().ask(QStringLiteral("The change was not saved: the file \"%1\" %2.")
                              .arg(nativePath(path), error),
                          Prompt::Icon::Critical, Prompt::Buttons::Ok);
}

void ProgramsPage::tellUnstorableName(const QString& name)
{
    QString bad =
        name.contains(QLatin1Char('"')) ? QStringLiteral("\"") : Cp1252::firstUnrepresentable(name);
    Prompt::current().ask(
        QStringLiteral("The tick of the program \"%1\" cannot be kept: its name holds the "
                       "character %2, which the list of ticked programs (%3) cannot hold. "
                       "Rename the file \"%4\" without it to keep the tick.")
            .arg(name, bad, nativePath(m_files.selectionPath()),
                 nativePath(m_files.programPath(name))),
        Prompt::Icon::Exclamation, Prompt::Buttons::Ok);
}

// ---- The program list -------------------------------------------------------------------

void ProgramsPage::LoadProgramList()
{
    const LibraryFiles::ProgramList list = m_files.LoadProgramList();
    QList<MessageEntry> rows;
    rows.reserve(list.entries.size());
    for (const SelectionEntry& entry : list.entries)
        rows.append(MessageEntry{entry.name, entry.ticked});
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_programs->setEntries(std::move(rows));
    }
    // Told once a run: the list is built again after every delete.
    if (!list.readError.isEmpty() && !m_toldSelectionUnreadable) {
        m_toldSelectionUnreadable = true;
        Prompt::current().ask(
            QStringLiteral("The ticks of the programs could not be read: the file \"%1\" cannot "
                           "be read (%2). It is kept as it is, and no tick can be saved until it "
                           "can be read.")
                .arg(nativePath(m_files.selectionPath()), list.readError),
            Prompt::Icon::Critical, Prompt::Buttons::Ok);
    }
    if (!list.writeError.isEmpty())
        Prompt::current().ask(QStringLiteral("The list of ticked programs was not brought up to "
                                             "date: the file \"%1\" %2. It is kept as it was.")
                                  .arg(nativePath(m_files.selectionPath()), list.writeError),
                              Prompt::Icon::Critical, Prompt::Buttons::Ok);
    if (m_programs->count() > 0)
        selectProgram(0);
    lvwDisplayFiles_Click();
}

void ProgramsPage::lvwDisplayFiles_Click()
{
    if (m_programs->count() == 0)
        return;
    const QString name = selectedProgramName();
    if (name.isEmpty() || !m_files.programExists(name))
        return;
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_messages->clear();
    }
    m_listedProgram = name;
    QString error;
    const std::optional<QList<MessageEntry>> messages = m_files.readProgram(name, &error);
    if (!error.isEmpty()) {
        // Nothing was read from it, so nothing may be written to it from this list.
        m_listedProgram.reset();
        Prompt::current().ask(QStringLiteral("The messages of the program \"%1\" cannot be "
                                             "shown: the file \"%2\" cannot be read (%3). It is "
                                             "kept as it is.")
                                  .arg(name, nativePath(m_files.programPath(name)), error),
                              Prompt::Icon::Critical, Prompt::Buttons::Ok);
        return;
    }
    if (!messages || messages->isEmpty())
        return;
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_messages->setEntries(*messages);
    }
    m_txtEditText->clear();
    lvwDisplay_ItemClick(0);
}

void ProgramsPage::lvwDisplayFiles_ItemCheck(int changedRow)
{
    QList<SelectionEntry> list;
    list.reserve(m_programs->count());
    for (const MessageEntry& entry : m_programs->entries())
        list.append(SelectionEntry{entry.text, entry.ticked});
    QStringList unstorable;
    const QString error = m_files.writeSelectionList(list, &unstorable);
    if (!error.isEmpty()) {
        tellNotSaved(m_files.selectionPath(), error);
        revertTicksFromDisk();
        return;
    }
    // A program the list cannot name keeps no tick; only the user's own tick on it is
    // answered, so such a file never troubles a change of any other program.
    if (changedRow >= 0 && changedRow < m_programs->count() &&
        unstorable.contains(m_programs->at(changedRow).text) && m_programs->at(changedRow).ticked) {
        tellUnstorableName(m_programs->at(changedRow).text);
        const QScopedValueRollback guard(m_programmatic, true);
        m_programs->setTicked(changedRow, false);
    }
}

// After a failed write the ticks show what FileNames.txt holds, which is what the show and
// the next start will use.
void ProgramsPage::revertTicksFromDisk()
{
    QStringList names;
    names.reserve(m_programs->count());
    for (const MessageEntry& entry : m_programs->entries())
        names.append(entry.text);
    const QList<bool> ticks = ProgramNames::ticksAsRecorded(
        names, m_files.readSelectionList().value_or(QList<SelectionEntry>{}));
    const QScopedValueRollback guard(m_programmatic, true);
    for (int row = 0; row < m_programs->count(); ++row)
        m_programs->setTicked(row, ticks[row]);
}

bool ProgramsPage::txtNewFileName_KeyPress(const QString& typed)
{
    QString accepted;
    int refused = 0;
    for (const char32_t code : typed.toUcs4()) {
        if (!acceptedInName(code))
            ++refused;
        else if (code != 8 && code != 127)
            accepted.append(QString::fromUcs4(&code, 1));
    }
    if (refused == 0)
        return false;
    for (int i = 0; i < refused; ++i) {
        Prompt::current().ask(QStringLiteral("Please Enter Only Characters"), Prompt::Icon::None,
                              Prompt::Buttons::Ok);
        m_txtNewFileName->setFocus();
    }
    if (!accepted.isEmpty())
        m_txtNewFileName->insert(accepted);
    return true;
}

bool ProgramsPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(event)->isAmbiguous())
        return true;
    if (watched == m_txtNewFileName && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Tab moves the focus on; it is not a character of the name.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->text().isEmpty())
            return false;
        QString typed = key->text();
        // Some platforms report Ctrl+V as "v" with the Control key held; it is the control
        // character of the clipboard shortcut all the same.
        const Qt::KeyboardModifiers mods = key->modifiers();
        if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && typed.size() == 1 &&
            typed.at(0).unicode() < 128 && typed.at(0).isLetter())
            typed = QChar(typed.at(0).toUpper().unicode() - 64);
        return txtNewFileName_KeyPress(typed);
    }
    if (watched == m_lvwDisplayFiles->viewport() && event->type() == QEvent::MouseButtonPress)
        m_programRowBeforePress = selectedProgram();
    return QWidget::eventFilter(watched, event);
}

void ProgramsPage::picCreateFile_Click()
{
    if (ProgramNames::trimmed(m_txtNewFileName->text()).isEmpty()) {
        Prompt::current().ask(QStringLiteral("Enter New Program Name and Click on Create"),
                              Prompt::Icon::Critical, Prompt::Buttons::Ok);
        return;
    }
    cmdCreateFile_Click();
}

void ProgramsPage::cmdCreateFile_Click()
{
    const QString name = ProgramNames::trimmed(m_txtNewFileName->text());
    if (name.isEmpty())
        return;
    const QString refusal = ProgramNames::refusal(name);
    if (!refusal.isEmpty()) {
        Prompt::current().ask(
            QStringLiteral("The name \"%1\" cannot be used for a program: %2").arg(name, refusal),
            Prompt::Icon::Exclamation, Prompt::Buttons::Ok);
        m_txtNewFileName->setFocus();
        return;
    }
    // A program of that name (letter case ignored) is already there: show it, never empty it.
    for (int row = 0; row < m_programs->count(); ++row) {
        if (m_programs->at(row).text.compare(name, Qt::CaseInsensitive) == 0) {
            m_txtNewFileName->clear();
            m_txtEditText->clear();
            selectProgram(row);
            lvwDisplayFiles_Click();
            return;
        }
    }
    // A file another program put there since the list was built is listed, not emptied.
    if (!m_files.programExists(name)) {
        const QString error = m_files.createProgram(name);
        if (!error.isEmpty()) {
            Prompt::current().ask(QStringLiteral("The program \"%1\" could not be created: the "
                                                 "file \"%2\" %3.")
                                      .arg(name, nativePath(m_files.programPath(name)), error),
                                  Prompt::Icon::Critical, Prompt::Buttons::Ok);
            return;
        }
    }
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_programs->append(MessageEntry{name, true});
    }
    selectProgram(m_programs->count() - 1);
    lvwDisplayFiles_ItemCheck();
    m_txtNewFileName->clear();
    m_txtEditText->clear();
    lvwDisplayFiles_Click();
}

void ProgramsPage::cmdDeleteFile_Click()
{
    const int row = selectedProgram();
    if (row < 0)
        return;
    const QString name = m_programs->at(row).text;
    if (m_files.programExists(name) && !m_files.deleteProgram(name)) {
        // The rebuild below lists the program again, so the list still shows what is on disk.
        Prompt::current().ask(QStringLiteral("The program \"%1\" was not deleted: the file "
                                             "\"%2\" could not be removed.")
                                  .arg(name, nativePath(m_files.programPath(name))),
                              Prompt::Icon::Critical, Prompt::Buttons::Ok);
    }
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_programs->removeAt(row);
        m_messages->clear();
    }
    m_listedProgram.reset();
    LoadProgramList();
    m_txtEditText->clear();
}

// ---- The message list -------------------------------------------------------------------

void ProgramsPage::lvwDisplay_ItemClick(int row)
{
    if (row < 0 || row >= m_messages->count())
        return;
    selectMessage(row);
    m_txtEditText->setText(m_messages->at(row).text);
}

void ProgramsPage::lvwDisplay_ItemCheck(int)
{
    SaveMessages();
}

void ProgramsPage::txtEditText_Change()
{
    const bool hasText = !m_txtEditText->text().isEmpty();
    m_cmdAddNew->setEnabled(hasText);
    m_cmdUpdate->setEnabled(hasText);
}

void ProgramsPage::picAddNew_Click()
{
    if (m_txtEditText->text().isEmpty()) {
        Prompt::current().ask(QStringLiteral("Enter Message and Click on Add New"),
                              Prompt::Icon::Critical, Prompt::Buttons::Ok);
        return;
    }
    cmdAddNew_Click();
}

void ProgramsPage::cmdAddNew_Click()
{
    const QString text = m_txtEditText->text();
    if (text.isEmpty())
        return;
    const QString refusal = RecordFormat::refusal(text);
    if (!refusal.isEmpty()) {
        Prompt::current().ask(QStringLiteral("This message cannot be added: %1").arg(refusal),
                              Prompt::Icon::Exclamation, Prompt::Buttons::Ok);
        return;
    }
    const bool wasEmpty = m_messages->count() == 0;
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_messages->append(MessageEntry{text, true});
    }
    if (wasEmpty)
        selectMessage(0);
    m_txtEditText->clear();
    // The typed text is given back when it could not be saved, so nothing typed is lost.
    if (!SaveMessages())
        m_txtEditText->setText(text);
}

void ProgramsPage::cmdUpdate_Click()
{
    const int row = selectedMessage();
    const QString text = m_txtEditText->text();
    if (row < 0 || text.isEmpty())
        return;
    const QString refusal = RecordFormat::refusal(text);
    if (!refusal.isEmpty()) {
        Prompt::current().ask(QStringLiteral("The message cannot be changed: %1").arg(refusal),
                              Prompt::Icon::Exclamation, Prompt::Buttons::Ok);
        return;
    }
    m_messages->setText(row, text);
    m_txtEditText->clear();
    if (!SaveMessages())
        m_txtEditText->setText(text);
}

void ProgramsPage::cmdDeleteText_Click()
{
    const int row = selectedMessage();
    if (row < 0)
        return;
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_messages->removeAt(row);
    }
    m_txtEditText->clear();
    // The message that moved into the deleted one's place is selected (the new last one when
    // the last was deleted); the edit box stays empty.
    if (m_messages->count() > 0)
        selectMessage(std::min(row, m_messages->count() - 1));
    SaveMessages();
}

bool ProgramsPage::SaveMessages()
{
    if (selectedProgram() < 0)
        return true;
    const QString target = m_listedProgram.value_or(selectedProgramName());
    // The list shows nothing read from an existing file (it could not be read, or it came
    // after the list was filled): writing the list would replace messages nobody has seen.
    const QString error = !m_listedProgram && m_files.programExists(target)
                              ? QStringLiteral("was not read, and a file whose messages are not "
                                               "shown is never written over")
                              : m_files.writeProgram(target, m_messages->entries());
    if (!error.isEmpty()) {
        const QString path = m_files.programPath(target);
        tellNotSaved(path.isEmpty() ? target : path, error);
        revertMessagesFromDisk(target);
        return false;
    }
    m_listedProgram = target;
    return true;
}

// After a failed write the list shows what the file holds, which is what the show and the
// next load will use.
void ProgramsPage::revertMessagesFromDisk(const QString& program)
{
    const int row = selectedMessage();
    const std::optional<QList<MessageEntry>> read = m_files.readProgram(program);
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_messages->setEntries(read.value_or(QList<MessageEntry>{}));
    }
    if (read)
        m_listedProgram = program;
    if (m_messages->count() > 0)
        selectMessage(std::clamp(row, 0, m_messages->count() - 1));
}

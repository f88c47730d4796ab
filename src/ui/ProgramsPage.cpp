#include "ui/ProgramsPage.h"

#include "core/Prompt.h"
#include "library/CheckListModel.h"
#include "library/ProgramNames.h"
#include "library/RecordFormat.h"
#include "ui/EntryList.h"
#include "ui/ImageButton.h"
#include "ui/ProgramListRead.h"
#include "ui/ProgramsPanels.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <utility>

namespace {

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

void tell(const QString& text, Prompt::Icon icon)
{
    Prompt::current().ask(text, icon, Prompt::Buttons::Ok);
}

} // namespace

ProgramsPage::ProgramsPage(LibraryFiles files, QWidget* parent)
    : QWidget(parent), m_files(std::move(files))
{
    ProgramsPanels::dress(this);
    m_programs = new CheckListModel(QStringLiteral("Files"), this);
    m_messages = new CheckListModel(QStringLiteral("Text"), this);
    const ProgramsPanels::Built programs = ProgramsPanels::programList(m_programs, this);
    const ProgramsPanels::Built messages = ProgramsPanels::messageList(m_messages, this);
    m_lvwDisplayFiles = programs.list;
    m_txtNewFileName = programs.box;
    m_lvwDisplay = messages.list;
    m_txtEditText = messages.box;

    m_picStart1 = ProgramsPanels::startPicture(this);

    // The commands: each one slot, run by its picture and by its access key. The keys act
    // only while the page is shown and enabled, so a page behind the one in front takes none.
    command(QStringLiteral("&Create"), QStringLiteral("cmdCreateFile"), nullptr,
            &ProgramsPage::cmdCreateFile_Click);
    connect(programs.pictures[0], &ImageButton::clicked, this, &ProgramsPage::picCreateFile_Click);
    command(QStringLiteral("&Delete"), QStringLiteral("cmdDeleteFile"), programs.pictures[1],
            &ProgramsPage::cmdDeleteFile_Click);
    m_cmdAddNew = command(QStringLiteral("&Add New"), QStringLiteral("cmdAddNew"),
                          messages.pictures[0], &ProgramsPage::cmdAddNew_Click);
    m_cmdUpdate = command(QStringLiteral("E&dit"), QStringLiteral("cmdUpdate"),
                          messages.pictures[1], &ProgramsPage::cmdUpdate_Click);
    command(QStringLiteral("D&elete"), QStringLiteral("cmdDeleteText"), messages.pictures[2],
            &ProgramsPage::cmdDeleteText_Click);
    m_cmdAddNew->setEnabled(false);
    m_cmdUpdate->setEnabled(false);

    connect(m_txtEditText, &QLineEdit::textChanged, this, &ProgramsPage::txtEditText_Change);
    m_txtNewFileName->installEventFilter(this);
    ProgramsPanels::onChosen(m_lvwDisplayFiles, m_programmatic,
                             [this] { lvwDisplayFiles_Click(); });
    ProgramsPanels::onChosen(m_lvwDisplay, m_programmatic,
                             [this] { lvwDisplay_ItemClick(selectedMessage()); });
    connect(m_programs, &CheckListModel::tickChangedByUser, this,
            &ProgramsPage::lvwDisplayFiles_ItemCheck);
    // A message's tick is written at once (the message list's ItemCheck).
    connect(m_messages, &CheckListModel::tickChangedByUser, this, &ProgramsPage::SaveMessages);
    // A write still under way when the program or the session ends is finished first.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &ProgramsPage::finishFileWork);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &ProgramsPage::finishFileWork);
}

QAction* ProgramsPage::command(const QString& caption, const QString& name, ImageButton* picture,
                               void (ProgramsPage::*slot)())
{
    return ProgramsPanels::command(this, this, caption, name, picture,
                                   [this, slot] { (this->*slot)(); });
}

int ProgramsPage::selectedProgram() const
{
    return ProgramsPanels::currentRow(m_lvwDisplayFiles);
}

int ProgramsPage::selectedMessage() const
{
    return ProgramsPanels::currentRow(m_lvwDisplay);
}

QString ProgramsPage::selectedProgramName() const
{
    const int row = selectedProgram();
    return row < 0 ? QString() : m_programs->text(row);
}

void ProgramsPage::selectProgram(int row)
{
    const QScopedValueRollback guard(m_programmatic, true);
    ProgramsPanels::select(m_lvwDisplayFiles, row);
}

void ProgramsPage::selectMessage(int row)
{
    const QScopedValueRollback guard(m_programmatic, true);
    ProgramsPanels::select(m_lvwDisplay, row);
}

void ProgramsPage::tellNotSaved(const QString& path, const QString& why)
{
    tell(QStringLiteral("The change was not saved: the file \"%1\" %2.").arg(nativePath(path), why),
         Prompt::Icon::Critical);
}

// ---- The program list -------------------------------------------------------------------

void ProgramsPage::LoadProgramList()
{
    LibraryFiles::ProgramList list = m_files.LoadProgramList();
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_programs->setEntries(std::move(list.entries));
    }
    ProgramListRead::tellNotRead(m_files, list, m_toldSelectionUnreadable);
    showFirstProgram();
}

void ProgramsPage::showProgramList(ProgramListRead::Read read)
{
    m_toldSelectionUnreadable = read.toldSelectionUnreadable;
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_programs->setEntries(std::move(read.entries));
    }
    showFirstProgram();
}

void ProgramsPage::showFirstProgram()
{
    if (m_programs->count() > 0)
        selectProgram(0);
    lvwDisplayFiles_Click();
}

void ProgramsPage::lvwDisplayFiles_Click()
{
    if (m_programs->count() == 0)
        return;
    // Whatever is still being read belongs to a program no longer chosen.
    ++m_readCount;
    const QString name = selectedProgramName();
    if (name.isEmpty() || !m_files.programExists(name))
        return;
    loadMessages(name, -1);
}

// selectRow < 0: a program is chosen, so its first message is chosen and put into the edit box.
// Otherwise the list is read again after a failed write, keeping the chosen row and the box.
void ProgramsPage::loadMessages(const QString& program, int selectRow)
{
    const quint64 read = ++m_readCount;
    // A read after a queued write waits for it, so it shows what was written.
    if (m_fileWork.isIdle() && QFileInfo(m_files.programPath(program)).size() < kReadInBackground) {
        showMessages(program, m_files.readMessages(program), selectRow);
        return;
    }
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_messages->clear();
    }
    // Nothing of the file is shown yet, so nothing may be written to it from this list.
    m_listedProgram.reset();
    using Messages = LibraryFiles::Messages;
    m_fileWork.run<Messages>(
        this, [files = m_files, program] { return files.readMessages(program); },
        [=, this](Messages messages) {
            if (read == m_readCount)
                showMessages(program, std::move(messages), selectRow);
        });
}

void ProgramsPage::showMessages(const QString& program, LibraryFiles::Messages read, int selectRow)
{
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_messages->setStore(std::move(read.records));
    }
    if (selectRow >= 0) {
        if (read.ok())
            m_listedProgram = program;
        if (m_messages->count() > 0)
            selectMessage(std::min(selectRow, m_messages->count() - 1));
    } else if (!read.ok() && !read.missing) {
        // Nothing was read from it, so nothing may be written to it from this list.
        m_listedProgram.reset();
        tell(QStringLiteral("The messages of the program \"%1\" cannot be shown: the file \"%2\" "
                            "cannot be read (%3). It is kept as it is.")
                 .arg(program, nativePath(m_files.programPath(program)), read.why()),
             Prompt::Icon::Critical);
        return;
    } else {
        m_listedProgram = program;
        if (m_messages->count() > 0) {
            m_txtEditText->clear();
            lvwDisplay_ItemClick(0);
        }
    }
    emit messagesLoaded(program);
}

void ProgramsPage::lvwDisplayFiles_ItemCheck(int changedRow)
{
    if (const Outcome written = m_files.writeSelectionList(m_programs->entries()); !written.ok()) {
        tellNotSaved(m_files.selectionPath(), written.why());
        // The ticks show what the file holds, which is what the show and the next start use.
        const QList<Record> stored = m_files.withStoredTicks(m_programs->entries());
        const QScopedValueRollback guard(m_programmatic, true);
        for (int row = 0; row < m_programs->count(); ++row)
            m_programs->setTicked(row, stored[row].ticked);
        return;
    }
    // A program the list cannot name keeps no tick; only the user's own tick on it is
    // answered, so such a file never troubles a change of any other program.
    if (changedRow < 0 || changedRow >= m_programs->count() || !m_programs->ticked(changedRow))
        return;
    const QString name = m_programs->text(changedRow);
    if (const QString character = RecordFormat::firstUnstorable(name); !character.isEmpty()) {
        tell(QStringLiteral("The tick of the program \"%1\" cannot be kept: its name holds the "
                            "character %2, which the list of ticked programs (%3) cannot hold. "
                            "Rename the file \"%4\" without it to keep the tick.")
                 .arg(name, character, nativePath(m_files.selectionPath()),
                      nativePath(m_files.programPath(name))),
             Prompt::Icon::Exclamation);
        const QScopedValueRollback guard(m_programmatic, true);
        m_programs->setTicked(changedRow, false);
    }
}

bool ProgramsPage::txtNewFileName_KeyPress(const QString& typed)
{
    const ProgramNames::Typed filtered = ProgramNames::filterTyped(typed);
    if (filtered.refused == 0)
        return false;
    for (int i = 0; i < filtered.refused; ++i) {
        tell(QStringLiteral("Please Enter Only Characters"), Prompt::Icon::None);
        m_txtNewFileName->setFocus();
    }
    if (!filtered.accepted.isEmpty())
        m_txtNewFileName->insert(filtered.accepted);
    return true;
}

bool ProgramsPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(event)->isAmbiguous())
        return true;
    if (watched == m_txtNewFileName && event->type() == QEvent::KeyPress) {
        const QString typed = ProgramsPanels::typedBy(static_cast<QKeyEvent*>(event));
        return !typed.isEmpty() && txtNewFileName_KeyPress(typed);
    }
    return QWidget::eventFilter(watched, event);
}

void ProgramsPage::picCreateFile_Click()
{
    if (ProgramNames::trimmed(m_txtNewFileName->text()).isEmpty())
        tell(QStringLiteral("Enter New Program Name and Click on Create"), Prompt::Icon::Critical);
    else
        cmdCreateFile_Click();
}

void ProgramsPage::cmdCreateFile_Click()
{
    const QString name = ProgramNames::trimmed(m_txtNewFileName->text());
    if (name.isEmpty())
        return;
    if (const Outcome usable = ProgramNames::checkNewName(name); !usable.ok()) {
        tell(QStringLiteral("The name \"%1\" cannot be used for a program: %2")
                 .arg(name, usable.why()),
             Prompt::Icon::Exclamation);
        m_txtNewFileName->setFocus();
        return;
    }
    // A program of that name (letter case ignored) is already there: show it, never empty it.
    if (const qsizetype row = ProgramNames::find(m_programs->entries(), name); row >= 0) {
        m_txtNewFileName->clear();
        m_txtEditText->clear();
        selectProgram(int(row));
        lvwDisplayFiles_Click();
        return;
    }
    // A file another program put there since the list was built is listed, not emptied.
    if (!m_files.programExists(name)) {
        if (const Outcome created = m_files.createProgram(name); !created.ok()) {
            tell(QStringLiteral("The program \"%1\" could not be created: the file \"%2\" %3.")
                     .arg(name, nativePath(m_files.programPath(name)), created.why()),
                 Prompt::Icon::Critical);
            return;
        }
    }
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_programs->append(Record{name, true});
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
    const QString name = m_programs->text(row);
    // A write still queued would bring the file back.
    m_fileWork.wait();
    if (m_files.programExists(name)) {
        // The rebuild below lists the program again, so the list still shows what is on disk.
        if (const Outcome deleted = m_files.deleteProgram(name); !deleted.ok())
            tell(QStringLiteral("The program \"%1\" was not deleted: the file \"%2\" %3.")
                     .arg(name, nativePath(m_files.programPath(name)), deleted.why()),
                 Prompt::Icon::Critical);
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
    // A message of megabytes is not decoded whole only to be cut.
    const QString start = m_messages->store().textStart(row, kEditBoxLength + 1);
    setEditText(start,
                start.size() > kEditBoxLength ? m_messages->store().sliced(row) : RecordStore());
}

void ProgramsPage::setEditText(const QString& text, const RecordStore& whole)
{
    if (text.size() <= kEditBoxLength) {
        m_txtEditText->setText(text);
        return;
    }
    qsizetype cut = kEditBoxLength;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    m_cutMessage = whole.isEmpty() ? RecordStore(QList<Record>{Record{text, true}}) : whole;
    m_cutShown = text.left(cut);
    m_txtEditText->setText(m_cutShown);
}

QString ProgramsPage::editText() const
{
    const QString shown = m_txtEditText->text();
    return !m_cutMessage.isEmpty() && shown == m_cutShown ? m_cutMessage.text(0) : shown;
}

void ProgramsPage::txtEditText_Change()
{
    if (!m_cutMessage.isEmpty() && m_txtEditText->text() != m_cutShown) {
        m_cutMessage = {};
        m_cutShown.clear();
    }
    const bool hasText = !m_txtEditText->text().isEmpty();
    m_cmdAddNew->setEnabled(hasText);
    m_cmdUpdate->setEnabled(hasText);
}

// With the edit box empty only the picture reaches this: the access key is disabled then.
void ProgramsPage::cmdAddNew_Click()
{
    const QString text = editText();
    if (text.isEmpty()) {
        tell(QStringLiteral("Enter Message and Click on Add New"), Prompt::Icon::Critical);
        return;
    }
    if (const Outcome storable = RecordFormat::checkText(text); !storable.ok()) {
        tell(QStringLiteral("This message cannot be added: %1").arg(storable.why()),
             Prompt::Icon::Exclamation);
        return;
    }
    const bool wasEmpty = m_messages->count() == 0;
    {
        const QScopedValueRollback guard(m_programmatic, true);
        m_messages->append(Record{text, true});
    }
    if (wasEmpty)
        selectMessage(0);
    m_txtEditText->clear();
    saveMessages(text);
}

void ProgramsPage::cmdUpdate_Click()
{
    const int row = selectedMessage();
    const QString text = editText();
    if (row < 0 || text.isEmpty())
        return;
    if (const Outcome storable = RecordFormat::checkText(text); !storable.ok()) {
        tell(QStringLiteral("The message cannot be changed: %1").arg(storable.why()),
             Prompt::Icon::Exclamation);
        return;
    }
    m_messages->setText(row, text);
    m_txtEditText->clear();
    saveMessages(text);
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
    return saveMessages({});
}

bool ProgramsPage::saveMessages(const QString& giveBack)
{
    if (selectedProgram() < 0)
        return true;
    const QString target = m_listedProgram.value_or(selectedProgramName());
    // The list shows nothing read from an existing file (it could not be read, or it came
    // after the list was filled): writing the list would replace messages nobody has seen.
    if (!m_listedProgram && m_files.programExists(target)) {
        notSaved(target,
                 QStringLiteral("was not read, and a file whose messages are not shown is never "
                                "written over"),
                 giveBack);
        return false;
    }
    const RecordStore& store = m_messages->store();
    if (m_fileWork.isIdle() && store.textBytes() < kReadInBackground) {
        if (const Outcome written = m_files.writeMessages(target, store); !written.ok()) {
            notSaved(target, written.why(), giveBack);
            return false;
        }
    } else {
        // Written after every write queued before, from a copy of the list as it is now.
        m_fileWork.run<Outcome>(
            this, [files = m_files, target, store] { return files.writeMessages(target, store); },
            [this, target, giveBack](const Outcome& written) {
                if (!written.ok())
                    notSaved(target, written.why(), giveBack);
            });
    }
    m_listedProgram = target;
    return true;
}

void ProgramsPage::notSaved(const QString& program, const QString& why, const QString& giveBack)
{
    const QString path = m_files.programPath(program);
    tellNotSaved(path.isEmpty() ? program : path, why);
    // A write that failed late leaves alone a list that shows another program by now.
    if (m_listedProgram.value_or(selectedProgramName()) != program)
        return;
    // The list shows what the file holds, which is what the show and the next load will use.
    loadMessages(program, std::max(selectedMessage(), 0));
    // Nothing typed is lost.
    if (!giveBack.isEmpty() && m_txtEditText->text().isEmpty())
        setEditText(giveBack);
}

void ProgramsPage::finishFileWork()
{
    m_fileWork.finish(this);
}

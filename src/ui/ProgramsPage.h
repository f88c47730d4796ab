#pragma once

#include "library/FileQueue.h"
#include "library/LibraryFiles.h"
#include "ui/ProgramListRead.h"

#include <QString>
#include <QWidget>
#include <optional>

class CheckListModel;
class ImageButton;
class QAction;
class QLineEdit;
class EntryList;

// The Programs page `programsPage`: on the left the program list with the new-name box, on the
// right the messages of the selected program with the edit box, below both the start/stop
// button. Every change is written to the library files at once (a big program file in the
// background, in order); the rules of names and records are the library's, this page asks them
// and tells the user.
class ProgramsPage : public QWidget
{
    Q_OBJECT
public:
    explicit ProgramsPage(LibraryFiles files, QWidget* parent = nullptr);

    // The start/stop button of this page; the main window sets its pictures and runs the
    // show toggle on its click.
    ImageButton* picStart1() const { return m_picStart1; }

    // A program file of at least this many bytes is read on another thread, so the window
    // keeps answering while it is read: the message list stays empty until its messages are
    // there.
    static constexpr qint64 kReadInBackground = 1024 * 1024;
    // The edit box takes at most this many characters of a message: laying out a line of
    // megabytes would hold the window for seconds. A message cut so is still added or kept
    // whole by Add New and Edit as long as the box shows its beginning unchanged.
    static constexpr qsizetype kEditBoxLength = 65536;

    // Shows the program list that start-up read before the page was made.
    void showProgramList(ProgramListRead::Read read);

public slots:
    void LoadProgramList();

    void lvwDisplayFiles_Click();
    // `changedRow` is the entry whose tick the user changed, or -1 (a create).
    void lvwDisplayFiles_ItemCheck(int changedRow = -1);
    // The picture of Create tells the user when the name box is empty; the access key then
    // does nothing.
    void picCreateFile_Click();
    void cmdCreateFile_Click();
    void cmdDeleteFile_Click();

    void lvwDisplay_ItemClick(int row);
    void txtEditText_Change();
    void cmdAddNew_Click();
    void cmdUpdate_Click();
    void cmdDeleteText_Click();
    // Also runs after a tick change on the message list. A big program file is written on
    // another thread: a write that fails is told and undone on the screen once it has ended.
    bool SaveMessages();
    // Waits for every read and write of the program files still under way and shows what
    // they gave; the page does so when the program or the session ends.
    void finishFileWork();

signals:
    // The message list now holds the messages read from the program's file.
    void messagesLoaded(const QString& program);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps the lists in step with files that other programs change.
    friend class ProgramsFollower;

    void showFirstProgram();
    // Returns true when the key press was taken by the filter.
    bool txtNewFileName_KeyPress(const QString& typed);

    QAction* command(const QString& caption, const QString& name, ImageButton* picture,
                     void (ProgramsPage::*slot)());
    int selectedProgram() const;
    int selectedMessage() const;
    void selectProgram(int row);
    void selectMessage(int row);
    QString selectedProgramName() const;
    // Reads the program's messages, on another thread when its file is big, and shows them.
    void loadMessages(const QString& program, int selectRow);
    void showMessages(const QString& program, LibraryFiles::Messages read, int selectRow);
    // `giveBack`, the text typed into the edit box, is put back there when the write fails.
    bool saveMessages(const QString& giveBack);
    void notSaved(const QString& program, const QString& why, const QString& giveBack);
    // Puts text into the edit box, cut to kEditBoxLength; `whole` holds the text when it was
    // cut.
    void setEditText(const QString& text, const RecordStore& whole = {});
    // The edit box's text, or the whole message when the box shows a cut one unchanged.
    QString editText() const;
    void tellNotSaved(const QString& path, const QString& why);

    LibraryFiles m_files;
    CheckListModel* m_programs = nullptr;
    CheckListModel* m_messages = nullptr;

    EntryList* m_lvwDisplayFiles = nullptr;
    QLineEdit* m_txtNewFileName = nullptr;
    EntryList* m_lvwDisplay = nullptr;
    QLineEdit* m_txtEditText = nullptr;
    ImageButton* m_picStart1 = nullptr;

    // Add New and Edit act only while the edit box holds text; the actions keep the command
    // buttons' names.
    QAction* m_cmdAddNew = nullptr;
    QAction* m_cmdUpdate = nullptr;

    // The program whose file the message list was read from. Writes go there, so the
    // messages of one program never land in another's file while the selected program's
    // file is missing. Empty when the list holds nothing read from a file.
    std::optional<QString> m_listedProgram;
    // Selection changes made by the program itself do not run the user's handlers.
    bool m_programmatic = false;
    // Counts the reads of message lists, so a read that ends after another has begun is not
    // shown.
    quint64 m_readCount = 0;
    // The message the edit box shows cut (kEditBoxLength), kept as its stored bytes, and what
    // the box shows of it.
    RecordStore m_cutMessage;
    QString m_cutShown;
    bool m_toldSelectionUnreadable = false;
    // The big reads and the writes of the program files, in the order they were asked for.
    FileQueue m_fileWork;
};

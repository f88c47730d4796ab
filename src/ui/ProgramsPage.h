#pragma once

#include "library/LibraryFiles.h"

#include <QString>
#include <QWidget>
#include <optional>

class CheckListModel;
class ImageButton;
class QAction;
class QLabel;
class QLineEdit;
class QTreeView;

// The Programs page `Picture2`: on the left the program list with the new-name box, on the
// right the messages of the selected program with the edit box, below both the start/stop
// button. Every change is written to the library files at once.
class ProgramsPage : public QWidget
{
    Q_OBJECT
public:
    explicit ProgramsPage(LibraryFiles files, QWidget* parent = nullptr);

    // The start/stop button of this page; the main window sets its pictures and runs the
    // show toggle on its click.
    ImageButton* picStart1() const { return m_picStart1; }

public slots:
    void LoadProgramList();

    void lvwDisplayFiles_Click();
    // `changedRow` is the entry whose tick the user changed, or -1 (a create).
    void lvwDisplayFiles_ItemCheck(int changedRow = -1);
    // The pictures of Create and Add New tell the user when the box is empty; their access
    // keys then do nothing.
    void picCreateFile_Click();
    void cmdCreateFile_Click();
    void cmdDeleteFile_Click();

    void lvwDisplay_ItemClick(int row);
    void lvwDisplay_ItemCheck(int row);
    void txtEditText_Change();
    void picAddNew_Click();
    void cmdAddNew_Click();
    void cmdUpdate_Click();
    void cmdDeleteText_Click();
    bool SaveMessages();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Returns true when the key press was taken by the filter.
    bool txtNewFileName_KeyPress(const QString& typed);

    QAction* command(const QString& caption, const QString& name, void (ProgramsPage::*slot)());
    int selectedProgram() const;
    int selectedMessage() const;
    void selectProgram(int row);
    void selectMessage(int row);
    QString selectedProgramName() const;
    void revertTicksFromDisk();
    void revertMessagesFromDisk(const QString& program);
    void tellNotSaved(const QString& path, const QString& error);
    void tellUnstorableName(const QString& name);

    LibraryFiles m_files;
    CheckListModel* m_programs = nullptr;
    CheckListModel* m_messages = nullptr;

    QWidget* m_picProg = nullptr;
    QLabel* m_label25 = nullptr;
    QLabel* m_lblPrograms = nullptr;
    QTreeView* m_lvwDisplayFiles = nullptr;
    QLineEdit* m_txtNewFileName = nullptr;
    ImageButton* m_picCreateFile = nullptr;
    ImageButton* m_picDeleteFile = nullptr;

    QWidget* m_picture5 = nullptr;
    QLabel* m_label26 = nullptr;
    QLabel* m_lblMessages = nullptr;
    QTreeView* m_lvwDisplay = nullptr;
    QLineEdit* m_txtEditText = nullptr;
    ImageButton* m_picAddNew = nullptr;
    ImageButton* m_picUpdate = nullptr;
    ImageButton* m_picDeleteText = nullptr;

    ImageButton* m_picStart1 = nullptr;

    // The commands with their access keys; the actions keep the command buttons' names.
    QAction* m_cmdCreateFile = nullptr;
    QAction* m_cmdDeleteFile = nullptr;
    QAction* m_cmdAddNew = nullptr;
    QAction* m_cmdUpdate = nullptr;
    QAction* m_cmdDeleteText = nullptr;

    // The program whose file the message list was read from. Writes go there, so the
    // messages of one program never land in another's file while the selected program's
    // file is missing. Empty when the list holds nothing read from a file.
    std::optional<QString> m_listedProgram;
    // Selection changes made by the program itself do not run the user's handlers.
    bool m_programmatic = false;
    bool m_toldSelectionUnreadable = false;
    int m_programRowBeforePress = -1;
};

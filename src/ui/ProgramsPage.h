#pragma once

#include "library/LibraryFiles.h"

#include <QString>
#include <QWidget>
#include <optional>

class CheckListModel;
class ImageButton;
class QLabel;
class QLineEdit;
class QPushButton;
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

    // Why `name` (already without surrounding spaces) cannot name a program file, or an
    // empty string when it can.
    static QString nameRefusal(const QString& name);

public slots:
    void LoadProgramList();

    void lvwDisplayFiles_Click();
    // `changedRow` is the entry whose tick the user changed, or -1 (a create).
    void lvwDisplayFiles_ItemCheck(int changedRow = -1);
    void picCreateFile_Click();
    void cmdCreateFile_Click();
    void picDeleteFile_Click();
    void cmdDeleteFile_Click();

    void lvwDisplay_ItemClick(int row);
    void lvwDisplay_ItemCheck(int row);
    void txtEditText_Change();
    void picAddNew_Click();
    void cmdAddNew_Click();
    void picUpdate_Click();
    void cmdUpdate_Click();
    void picDeleteText_Click();
    void cmdDeleteText_Click();
    bool SaveMessages();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Returns true when the key press was taken by the filter.
    bool txtNewFileName_KeyPress(const QString& typed);

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

    QPushButton* m_cmdCreateFile = nullptr;
    QPushButton* m_cmdDeleteFile = nullptr;
    QPushButton* m_cmdAddNew = nullptr;
    QPushButton* m_cmdUpdate = nullptr;
    QPushButton* m_cmdDeleteText = nullptr;

    // The program whose file the message list was read from. Writes go there, so the
    // messages of one program never land in another's file while the selected program's
    // file is missing. Empty when the list holds nothing read from a file.
    std::optional<QString> m_listedProgram;
    // Selection changes made by the program itself do not run the user's handlers.
    bool m_programmatic = false;
    bool m_toldSelectionUnreadable = false;
    int m_programRowBeforePress = -1;
};

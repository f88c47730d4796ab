#pragma once

#include <QString>
#include <QWidget>

class QAction;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class ImageButton;

// The goals page `Picture1`: two goal slots, each a free text kept in a file of its own in the
// application folder (goal1.txt, goal2.txt). A slot's tick box only unlocks its text for
// editing; saving looks at nothing but the text.
class GoalsPage : public QWidget
{
    Q_OBJECT
public:
    explicit GoalsPage(QWidget* parent = nullptr); // the application folder of AppFolder::path()
    explicit GoalsPage(const QString& appFolder, QWidget* parent = nullptr);
    ~GoalsPage() override;

    QLabel* Label5;
    QLabel* lblInfo;
    QWidget* picGoal1;
    QWidget* picGoal2;
    QLabel* lblGoal1;
    QLabel* lblGoal2;
    QLabel* lblGoalDesc1;
    QLabel* lblGoalDesc2;
    QPlainTextEdit* txtGoalDesc1;
    QPlainTextEdit* txtGoalDesc2;
    QCheckBox* Check1;
    QCheckBox* Check2;
    ImageButton* picSave1;
    ImageButton* picSave2;
    // The save commands, run by the pictures and by the access key of their caption.
    QAction* cmdSaveGoal1;
    QAction* cmdSaveGoal2;

public slots:
    // Fills both text boxes from their files, slot 1 first; a missing file is created empty.
    void LoadGoalSlots();
    void Check1_Click();
    void Check2_Click();
    void cmdSaveGoal1_Click();
    void cmdSaveGoal2_Click();

private:
    struct SlotControls
    {
        QWidget* panel;
        QLabel* title;
        QLabel* description;
        QPlainTextEdit* text;
        QCheckBox* check;
        ImageButton* save;
        QAction* command;
    };
    SlotControls buildSlot(int slot, int x);
    void loadSlot(int slot, QPlainTextEdit* box);
    void checkClick(QCheckBox* check, QPlainTextEdit* box);
    void saveSlot(int slot, QPlainTextEdit* box);
    void giveAccessKeyTo(int slot);
    void focusMoved(QWidget* now);

    QString m_folder;
    // Per slot: its file was UTF-8, so it may stay UTF-8 where Windows-1252 cannot hold it.
    bool m_utf8[2] = {false, false};
    QMetaObject::Connection m_focusWatch;
};

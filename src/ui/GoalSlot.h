#pragma once

#include "goals/GoalFile.h"

#include <QString>
#include <QWidget>

class ImageButton;
class QAction;
class QCheckBox;
class QLabel;
class QPlainTextEdit;

// One goal slot of the goals page, `picGoal1` or `picGoal2`: a free text kept in a file of its
// own in the application folder (goal1.txt, goal2.txt). The tick box only unlocks the text for
// editing; saving looks at nothing but the text.
class GoalSlot : public QWidget
{
    Q_OBJECT
public:
    // `number` is 1 or 2; the slot's save command acts while `page` is shown and enabled.
    GoalSlot(int number, const QString& appFolder, QWidget* page);

    QLabel* lblGoal;
    QLabel* lblGoalDesc;
    QPlainTextEdit* txtGoalDesc;
    QCheckBox* Check;
    ImageButton* picSave;
    // The save command `cmdSaveGoal1` or `cmdSaveGoal2`, run by the picture and by the access
    // key of its caption.
    QAction* cmdSaveGoal;

    // Fills the text box from the slot's file as read (GoalsPage::readGoalSlots).
    void showGoal(const Produced<GoalFile::Goal>& loaded);
    void Check_Click();
    void cmdSaveGoal_Click();
    // Whether the caption's access key saves this slot.
    void takeAccessKey(bool mine);

    QString filePath() const;
    // The slot's file was changed by another program: the box shows the new text, unless it
    // holds text the user has not saved, which stays; the user is then told once.
    void followFile();

private:
    int m_number;
    QString m_folder;
    // The file was UTF-8, so it may stay UTF-8 where Windows-1252 cannot hold it.
    bool m_utf8 = false;
    // The box's text as last loaded or saved: a box that holds other text holds unsaved text.
    QString m_stored;
    bool m_toldChanged = false;
};

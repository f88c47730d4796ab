#pragma once

#include <QString>
#include <QWidget>

class FileFollower;
class GoalSlot;
class QLabel;

// The goals page `goalsPage`: two goal slots side by side, each a free text kept in a file of
// its own in the application folder.
class GoalsPage : public QWidget
{
    Q_OBJECT
public:
    explicit GoalsPage(QWidget* parent = nullptr); // the application folder of AppFolder::path()
    explicit GoalsPage(const QString& appFolder, QWidget* parent = nullptr);
    ~GoalsPage() override;

    QLabel* Label5;
    QLabel* lblInfo;
    GoalSlot* picGoal1;
    GoalSlot* picGoal2;

public slots:
    // Fills both text boxes from their files, slot 1 first. From then on the boxes follow
    // the files as other programs change them.
    void LoadGoalSlots();

private:
    void focusMoved(QWidget* now);

    QMetaObject::Connection m_focusWatch;
    FileFollower* m_files = nullptr;
};

#include "ui/GoalsPage.h"

#include "core/AppFolder.h"
#include "core/FileFollower.h"
#include "ui/GoalSlot.h"
#include "ui/Palette.h"

#include <QApplication>
#include <QLabel>

GoalsPage::GoalsPage(QWidget* parent) : GoalsPage(AppFolder::path(), parent) {}

GoalsPage::GoalsPage(const QString& appFolder, QWidget* parent)
    : QWidget(parent), m_folder(appFolder)
{
    setObjectName(QStringLiteral("Picture1"));
    setFixedSize(553, 311);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(Palette::pageStyleSheet());

    Label5 = new QLabel(QStringLiteral("Goals and Targets help you measure your achievements. "
                                       "This task of setting yourself goals will always help "
                                       "you in the long run. This helps you have a clear and "
                                       "focused dedication in pursuing you aims."),
                        this);
    Label5->setGeometry(10, 6, 533, 52);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setWordWrap(true);
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblInfo = new QLabel(
        QStringLiteral("Set Your Goals Below. Tick the checkbox to enter your Goal."), this);
    lblInfo->setGeometry(0, 68, 553, 22);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setAlignment(Qt::AlignCenter);

    picGoal1 = new GoalSlot(1, appFolder, this);
    picGoal1->setGeometry(1, 98, 275, 213);
    picGoal2 = new GoalSlot(2, appFolder, this);
    picGoal2->setGeometry(277, 98, 275, 213);

    // Both save commands read "&Save". Two commands sharing one access key would be ambiguous
    // and save nothing, so the key belongs to the slot last worked in.
    picGoal1->takeAccessKey(true);
    picGoal2->takeAccessKey(false);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this,
                           [this](QWidget*, QWidget* now) { focusMoved(now); });
}

GoalsPage::~GoalsPage()
{
    // The slots' widgets go before this object does, and losing the focus as they go must
    // not reach a slot already gone.
    disconnect(m_focusWatch);
}

GoalsPage::Goals GoalsPage::readGoalSlots(const QString& appFolder)
{
    Goals goals;
    goals[0] = GoalFile::load(GoalFile::pathIn(appFolder, 1));
    goals[1] = GoalFile::load(GoalFile::pathIn(appFolder, 2));
    return goals;
}

void GoalsPage::showGoalSlots(const Goals& goals)
{
    picGoal1->showGoal(goals[0]);
    picGoal2->showGoal(goals[1]);
    if (m_files)
        return;
    m_files = new FileFollower(this);
    connect(m_files, &FileFollower::changed, this, [this](const QStringList& files) {
        for (GoalSlot* slot : {picGoal1, picGoal2}) {
            if (files.contains(slot->filePath()))
                slot->followFile();
        }
    });
    m_files->follow({picGoal1->filePath(), picGoal2->filePath()});
    // The goals may have been read at start, well before the page was made: a file changed
    // since then is shown as it is now.
    for (GoalSlot* slot : {picGoal1, picGoal2})
        slot->followFile();
}

void GoalsPage::LoadGoalSlots()
{
    showGoalSlots(readGoalSlots(m_folder));
}

void GoalsPage::focusMoved(QWidget* now)
{
    if (!now)
        return;
    for (GoalSlot* slot : {picGoal1, picGoal2}) {
        if (slot->isAncestorOf(now)) {
            picGoal1->takeAccessKey(slot == picGoal1);
            picGoal2->takeAccessKey(slot == picGoal2);
            return;
        }
    }
}

#include "ui/GoalsPage.h"

#include "core/AppFolder.h"
#include "core/Prompt.h"
#include "goals/GoalFile.h"
#include "ui/ImageButton.h"
#include "ui/Palette.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>

namespace {
const QString kSaveCaption = QStringLiteral("&Save");

QLabel* label(const QString& text, QWidget* parent, const QRect& geometry)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}
} // namespace

GoalsPage::GoalsPage(QWidget* parent) : GoalsPage(AppFolder::path(), parent) {}

GoalsPage::GoalsPage(const QString& appFolder, QWidget* parent)
    : QWidget(parent), m_folder(appFolder)
{
    setObjectName(QStringLiteral("Picture1"));
    setFixedSize(553, 311);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(Palette::pageStyleSheet());

    Label5 = label(QStringLiteral("Goals and Targets help you measure your achievements. This "
                                  "task of setting yourself goals will always help you in the "
                                  "long run. This helps you have a clear and focused dedication "
                                  "in pursuing you aims."),
                   this, {10, 6, 533, 52});
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setWordWrap(true);
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblInfo = label(QStringLiteral("Set Your Goals Below. Tick the checkbox to enter your Goal."),
                    this, {0, 68, 553, 22});
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setAlignment(Qt::AlignCenter);

    const SlotControls one = buildSlot(1, 1);
    picGoal1 = one.panel;
    lblGoal1 = one.title;
    lblGoalDesc1 = one.description;
    txtGoalDesc1 = one.text;
    Check1 = one.check;
    picSave1 = one.save;
    cmdSaveGoal1 = one.command;

    const SlotControls two = buildSlot(2, 277);
    picGoal2 = two.panel;
    lblGoal2 = two.title;
    lblGoalDesc2 = two.description;
    txtGoalDesc2 = two.text;
    Check2 = two.check;
    picSave2 = two.save;
    cmdSaveGoal2 = two.command;

    connect(Check1, &QCheckBox::toggled, this, &GoalsPage::Check1_Click);
    connect(Check2, &QCheckBox::toggled, this, &GoalsPage::Check2_Click);
    connect(cmdSaveGoal1, &QAction::triggered, this, &GoalsPage::cmdSaveGoal1_Click);
    connect(cmdSaveGoal2, &QAction::triggered, this, &GoalsPage::cmdSaveGoal2_Click);
    connect(picSave1, &ImageButton::clicked, this, &GoalsPage::cmdSaveGoal1_Click);
    connect(picSave2, &ImageButton::clicked, this, &GoalsPage::cmdSaveGoal2_Click);

    // Both save commands read "&Save". Two commands sharing one access key would be ambiguous
    // and save nothing, so the key belongs to the slot last worked in.
    giveAccessKeyTo(1);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this,
                           [this](QWidget*, QWidget* now) { focusMoved(now); });
}

GoalsPage::~GoalsPage()
{
    // The slots' widgets go before this object does, and losing the focus as they go must
    // not reach a panel already gone.
    disconnect(m_focusWatch);
}

GoalsPage::SlotControls GoalsPage::buildSlot(int slot, int x)
{
    SlotControls c{};
    const QString n = QString::number(slot);
    c.panel = new QWidget(this);
    c.panel->setObjectName(QStringLiteral("picGoal") + n);
    c.panel->setGeometry(x, 98, 275, 213);

    c.title = label(QStringLiteral("Goal ") + n, c.panel, {8, 0, 200, 20});
    c.title->setObjectName(QStringLiteral("lblGoal") + n);
    c.title->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));

    c.description = label(QStringLiteral("Goal Description"), c.panel, {8, 24, 200, 16});
    c.description->setObjectName(QStringLiteral("lblGoalDesc") + n);

    c.text = new QPlainTextEdit(c.panel);
    c.text->setObjectName(QStringLiteral("txtGoalDesc") + n);
    c.text->setGeometry(8, 40, 243, 133);
    c.text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.text->setStyleSheet(QStringLiteral("QPlainTextEdit { color: rgb(139, 198, 250);"
                                         " background-color: rgb(4, 64, 115); }"));
    c.text->setEnabled(false);

    c.check = new QCheckBox(c.panel);
    c.check->setObjectName(QStringLiteral("Check") + n);
    c.check->setGeometry(257, 160, 13, 13);

    c.save = new ImageButton(QStringLiteral("save"), c.panel);
    c.save->setObjectName(QStringLiteral("picSave") + n);
    c.save->setGeometry(170, 173, 100, 30);

    // Its key acts while the page is shown and enabled, that is while it is in front.
    c.command = new QAction(kSaveCaption, this);
    c.command->setObjectName(QStringLiteral("cmdSaveGoal") + n);
    c.command->setShortcutContext(Qt::WindowShortcut);
    addAction(c.command);
    return c;
}

void GoalsPage::LoadGoalSlots()
{
    loadSlot(1, txtGoalDesc1);
    loadSlot(2, txtGoalDesc2);
}

void GoalsPage::loadSlot(int slot, QPlainTextEdit* box)
{
    // A file that cannot be read leaves its box as it was, and start-up goes on.
    const GoalFile::Loaded loaded = GoalFile::load(GoalFile::pathIn(m_folder, slot));
    m_utf8[slot - 1] = loaded.utf8;
    if (loaded.error.isEmpty() && !loaded.text.isEmpty())
        box->setPlainText(loaded.text);
}

void GoalsPage::Check1_Click()
{
    checkClick(Check1, txtGoalDesc1);
}

void GoalsPage::Check2_Click()
{
    checkClick(Check2, txtGoalDesc2);
}

void GoalsPage::checkClick(QCheckBox* check, QPlainTextEdit* box)
{
    if (check->isChecked()) {
        box->setEnabled(true);
        box->setFocus(Qt::OtherFocusReason);
    } else {
        box->setEnabled(false);
    }
}

void GoalsPage::cmdSaveGoal1_Click()
{
    saveSlot(1, txtGoalDesc1);
}

void GoalsPage::cmdSaveGoal2_Click()
{
    saveSlot(2, txtGoalDesc2);
}

void GoalsPage::saveSlot(int slot, QPlainTextEdit* box)
{
    const QString path = GoalFile::pathIn(m_folder, slot);
    const QString error = GoalFile::save(path, box->toPlainText(), m_utf8[slot - 1]);
    if (error.isEmpty())
        return;
    // The text stays in the box, so nothing typed is lost and the user can try again.
    Prompt::current().ask(QStringLiteral("Goal %1 could not be saved to %2.\n%3")
                              .arg(QString::number(slot), QDir::toNativeSeparators(path), error),
                          Prompt::Icon::Critical, Prompt::Buttons::Ok);
}

void GoalsPage::giveAccessKeyTo(int slot)
{
    const QKeySequence key = QKeySequence::mnemonic(kSaveCaption);
    cmdSaveGoal1->setShortcut(slot == 1 ? key : QKeySequence());
    cmdSaveGoal2->setShortcut(slot == 2 ? key : QKeySequence());
}

void GoalsPage::focusMoved(QWidget* now)
{
    if (!now)
        return;
    if (picGoal1->isAncestorOf(now))
        giveAccessKeyTo(1);
    else if (picGoal2->isAncestorOf(now))
        giveAccessKeyTo(2);
}

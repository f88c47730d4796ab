#include "ui/GoalSlot.h"

#include "core/Prompt.h"
#include "ui/ImageButton.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <utility>

namespace {
const QString kSaveCaption = QStringLiteral("&Save");
} // namespace

GoalSlot::GoalSlot(int number, const QString& appFolder, QWidget* page)
    : QWidget(page), m_number(number), m_folder(appFolder)
{
    const QString n = QString::number(number);
    setObjectName(QStringLiteral("picGoal") + n);

    lblGoal = new QLabel(QStringLiteral("Goal ") + n, this);
    lblGoal->setObjectName(QStringLiteral("lblGoal") + n);
    lblGoal->setGeometry(8, 0, 200, 20);
    lblGoal->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));

    lblGoalDesc = new QLabel(QStringLiteral("Goal Description"), this);
    lblGoalDesc->setObjectName(QStringLiteral("lblGoalDesc") + n);
    lblGoalDesc->setGeometry(8, 24, 200, 16);

    txtGoalDesc = new QPlainTextEdit(this);
    txtGoalDesc->setObjectName(QStringLiteral("txtGoalDesc") + n);
    txtGoalDesc->setGeometry(8, 40, 243, 133);
    txtGoalDesc->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtGoalDesc->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtGoalDesc->setStyleSheet(QStringLiteral("QPlainTextEdit { color: rgb(139, 198, 250);"
                                              " background-color: rgb(4, 64, 115); }"));
    txtGoalDesc->setEnabled(false);

    Check = new QCheckBox(this);
    Check->setObjectName(QStringLiteral("Check") + n);
    Check->setGeometry(257, 160, 13, 13);

    picSave = new ImageButton(QStringLiteral("save"), this);
    picSave->setObjectName(QStringLiteral("picSave") + n);
    picSave->setGeometry(170, 173, 100, 30);

    // Its key acts while the page is shown and enabled, that is while it is in front.
    cmdSaveGoal = new QAction(kSaveCaption, page);
    cmdSaveGoal->setObjectName(QStringLiteral("cmdSaveGoal") + n);
    cmdSaveGoal->setShortcutContext(Qt::WindowShortcut);
    page->addAction(cmdSaveGoal);

    connect(Check, &QCheckBox::toggled, this, &GoalSlot::Check_Click);
    connect(cmdSaveGoal, &QAction::triggered, this, &GoalSlot::cmdSaveGoal_Click);
    connect(picSave, &ImageButton::clicked, this, &GoalSlot::cmdSaveGoal_Click);
}

void GoalSlot::showGoal(const Produced<GoalFile::Goal>& loaded)
{
    // A file that cannot be read leaves the box as it was, and start-up goes on.
    m_utf8 = loaded.value.utf8;
    if (loaded.ok() && !loaded.value.text.isEmpty())
        txtGoalDesc->setPlainText(loaded.value.text);
    m_stored = txtGoalDesc->toPlainText();
}

void GoalSlot::Check_Click()
{
    if (Check->isChecked()) {
        txtGoalDesc->setEnabled(true);
        txtGoalDesc->setFocus(Qt::OtherFocusReason);
    } else {
        txtGoalDesc->setEnabled(false);
    }
}

void GoalSlot::cmdSaveGoal_Click()
{
    const QString path = filePath();
    const QString text = txtGoalDesc->toPlainText();
    const Outcome saved = GoalFile::save(path, text, m_utf8);
    if (saved.ok()) {
        m_stored = text;
        m_toldChanged = false;
        return;
    }
    // The text stays in the box, so nothing typed is lost and the user can try again.
    Prompt::current().ask(
        QStringLiteral("Goal %1 could not be saved to %2.\n%3")
            .arg(QString::number(m_number), QDir::toNativeSeparators(path), saved.why()),
        Prompt::Icon::Critical, Prompt::Buttons::Ok);
}

void GoalSlot::takeAccessKey(bool mine)
{
    cmdSaveGoal->setShortcut(mine ? QKeySequence::mnemonic(kSaveCaption) : QKeySequence());
}

QString GoalSlot::filePath() const
{
    return GoalFile::pathIn(m_folder, m_number);
}

void GoalSlot::followFile()
{
    // A file gone (a synced folder makes it again) or unreadable leaves the box as it is.
    const Produced<GoalFile::Goal> read = GoalFile::read(filePath());
    const QString shown = txtGoalDesc->toPlainText();
    if (!read.ok())
        return;
    if (read.value.text == shown) {
        m_stored = shown;
        return;
    }
    if (shown != m_stored) {
        // Asking would put a question in the way of the typing, whose next Enter would answer
        // it; the typed text stays, and the user learns why the file differs from the box.
        if (!std::exchange(m_toldChanged, true))
            Prompt::current().ask(
                QStringLiteral("The file %1 was changed by another program while Goal %2 held "
                               "changes that are not saved. Your text is kept as it is; Save "
                               "stores it in place of the other change.")
                    .arg(QDir::toNativeSeparators(filePath()), QString::number(m_number)),
                Prompt::Icon::Information, Prompt::Buttons::Ok);
        return;
    }
    m_utf8 = read.value.utf8;
    m_stored = read.value.text;
    // The reader keeps their place in the text.
    const int position = txtGoalDesc->textCursor().position();
    const int scrolled = txtGoalDesc->verticalScrollBar()->value();
    txtGoalDesc->setPlainText(m_stored);
    QTextCursor cursor = txtGoalDesc->textCursor();
    cursor.setPosition(std::min(position, txtGoalDesc->document()->characterCount() - 1));
    txtGoalDesc->setTextCursor(cursor);
    txtGoalDesc->verticalScrollBar()->setValue(scrolled);
}

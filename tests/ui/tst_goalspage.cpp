#include "RecordingPrompt.h"
#include "core/Prompt.h"
#include "goals/DiskFull.h"
#include "ui/GoalSlot.h"
#include "ui/GoalsPage.h"
#include "ui/ImageButton.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}
} // namespace

class TestGoalsPage : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void startsEmptyUntickedAndDisabled();
    void loadsBothSlotsFromTheirFiles();
    void tickUnlocksAndUntickKeepsTheText();
    void saveWorksWithTheBoxUnticked_data();
    void saveWorksWithTheBoxUnticked();
    void accessKeySavesTheSlotLastWorkedIn();
    void failedSaveIsToldAndTheTextStays();

private:
    QTemporaryDir* m_dir = nullptr;
    RecordingPrompt m_prompt;
};

void TestGoalsPage::init()
{
    m_dir = new QTemporaryDir;
    m_prompt.shown.clear();
    Prompt::set(&m_prompt);
}

void TestGoalsPage::cleanup()
{
    Prompt::set(nullptr);
    delete m_dir;
    m_dir = nullptr;
}

void TestGoalsPage::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("picGoal1 left") << "picGoal1" << QRect(1, 98, 275, 213);
    QTest::newRow("picGoal2 right") << "picGoal2" << QRect(277, 98, 275, 213);
    QTest::newRow("lblInfo full width") << "lblInfo" << QRect(0, 68, 553, 22);
    for (const char* n : {"1", "2"}) {
        QTest::addRow("title %s", n) << "lblGoal" + QString(n) << QRect(8, 0, 200, 20);
        QTest::addRow("description %s", n) << "lblGoalDesc" + QString(n) << QRect(8, 24, 200, 16);
        QTest::addRow("text box %s", n) << "txtGoalDesc" + QString(n) << QRect(8, 40, 243, 133);
        QTest::addRow("tick box %s", n) << "Check" + QString(n) << QRect(257, 160, 13, 13);
        QTest::addRow("save button %s", n) << "picSave" + QString(n) << QRect(170, 173, 100, 30);
    }
}

void TestGoalsPage::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    GoalsPage page(m_dir->path());
    QCOMPARE(page.size(), QSize(553, 311));
    auto* w = page.findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), geometry);
}

void TestGoalsPage::startsEmptyUntickedAndDisabled()
{
    GoalsPage page(m_dir->path());
    page.LoadGoalSlots();
    QCOMPARE(page.Label5->text(),
             QStringLiteral("Goals and Targets help you measure your achievements. This task of "
                            "setting yourself goals will always help you in the long run. This "
                            "helps you have a clear and focused dedication in pursuing you "
                            "aims."));
    QCOMPARE(page.lblInfo->text(),
             QStringLiteral("Set Your Goals Below. Tick the checkbox to enter your Goal."));
    QCOMPARE(page.picGoal1->lblGoal->text(), QStringLiteral("Goal 1"));
    QCOMPARE(page.picGoal2->lblGoal->text(), QStringLiteral("Goal 2"));
    QCOMPARE(page.picGoal2->lblGoalDesc->text(), QStringLiteral("Goal Description"));
    QCOMPARE(page.picGoal1->cmdSaveGoal->text(), QStringLiteral("&Save"));
    QCOMPARE(page.picGoal2->cmdSaveGoal->text(), QStringLiteral("&Save"));
    for (QPlainTextEdit* box : {page.picGoal1->txtGoalDesc, page.picGoal2->txtGoalDesc}) {
        QCOMPARE(box->toPlainText(), QString());
        QVERIFY(!box->isEnabled());
    }
    QVERIFY(!page.picGoal1->Check->isChecked());
    QVERIFY(!page.picGoal2->Check->isChecked());
    QVERIFY(page.picGoal1->Check->text().isEmpty());
    QCOMPARE(bytesOf(m_dir->filePath("goal1.txt")), QByteArray());
    QCOMPARE(bytesOf(m_dir->filePath("goal2.txt")), QByteArray());
    QVERIFY(m_prompt.shown.isEmpty());
}

void TestGoalsPage::loadsBothSlotsFromTheirFiles()
{
    writeBytes(m_dir->filePath("goal1.txt"), "Run a marathon\r\n");
    writeBytes(m_dir->filePath("goal2.txt"), "first\r\nsecond\r\n");
    GoalsPage page(m_dir->path());
    page.LoadGoalSlots();
    QCOMPARE(page.picGoal1->txtGoalDesc->toPlainText(), QStringLiteral("Run a marathon"));
    QCOMPARE(page.picGoal2->txtGoalDesc->toPlainText(), QStringLiteral("first\nsecond"));
    QVERIFY(!page.picGoal1->txtGoalDesc->isEnabled());
}

void TestGoalsPage::tickUnlocksAndUntickKeepsTheText()
{
    GoalsPage page(m_dir->path());
    page.LoadGoalSlots();
    page.show();
    page.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&page));

    QTest::mouseClick(page.picGoal2->Check, Qt::LeftButton);
    QVERIFY(page.picGoal2->Check->isChecked());
    QVERIFY(page.picGoal2->txtGoalDesc->isEnabled());
    QVERIFY(page.picGoal2->txtGoalDesc->hasFocus());
    QVERIFY(!page.picGoal1->txtGoalDesc->isEnabled());
    QTest::keyClicks(page.picGoal2->txtGoalDesc, QStringLiteral("Learn Spanish"));

    QTest::mouseClick(page.picGoal2->Check, Qt::LeftButton);
    QVERIFY(!page.picGoal2->Check->isChecked());
    QVERIFY(!page.picGoal2->txtGoalDesc->isEnabled());
    QCOMPARE(page.picGoal2->txtGoalDesc->toPlainText(), QStringLiteral("Learn Spanish"));
}

void TestGoalsPage::saveWorksWithTheBoxUnticked_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("picture"); // the image button, else the hidden command
    QTest::newRow("slot 1, picture") << 1 << true;
    QTest::newRow("slot 2, picture") << 2 << true;
    QTest::newRow("slot 1, command") << 1 << false;
    QTest::newRow("slot 2, command") << 2 << false;
}

void TestGoalsPage::saveWorksWithTheBoxUnticked()
{
    QFETCH(int, slot);
    QFETCH(bool, picture);
    GoalsPage page(m_dir->path());
    page.LoadGoalSlots();
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCheckBox* check = slot == 1 ? page.picGoal1->Check : page.picGoal2->Check;
    QPlainTextEdit* box = slot == 1 ? page.picGoal1->txtGoalDesc : page.picGoal2->txtGoalDesc;

    QTest::mouseClick(check, Qt::LeftButton);
    QTest::keyClicks(box, QStringLiteral("  Save money"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("every week  "));
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(!box->isEnabled());

    if (picture)
        QTest::mouseClick(slot == 1 ? page.picGoal1->picSave : page.picGoal2->picSave,
                          Qt::LeftButton);
    else
        (slot == 1 ? page.picGoal1->cmdSaveGoal : page.picGoal2->cmdSaveGoal)->trigger();

    const QString mine = m_dir->filePath(QStringLiteral("goal%1.txt").arg(slot));
    const QString other = m_dir->filePath(QStringLiteral("goal%1.txt").arg(3 - slot));
    QCOMPARE(bytesOf(mine), QByteArray("Save money\r\nevery week\r\n"));
    QCOMPARE(bytesOf(other), QByteArray());
    QVERIFY(m_prompt.shown.isEmpty());
}

void TestGoalsPage::accessKeySavesTheSlotLastWorkedIn()
{
    GoalsPage page(m_dir->path());
    page.LoadGoalSlots();
    page.show();
    page.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&page));
    const QString one = m_dir->filePath("goal1.txt");
    const QString two = m_dir->filePath("goal2.txt");

    page.picGoal1->txtGoalDesc->setPlainText(QStringLiteral("one"));
    page.picGoal2->txtGoalDesc->setPlainText(QStringLiteral("two"));
    QTest::keyClick(&page, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(bytesOf(one), QByteArray("one\r\n"));
    QCOMPARE(bytesOf(two), QByteArray());

    QTest::mouseClick(page.picGoal2->Check, Qt::LeftButton); // focus into slot 2's box
    QTest::keyClick(page.picGoal2->txtGoalDesc, Qt::Key_End);
    QTest::keyClicks(page.picGoal2->txtGoalDesc, QStringLiteral("!"));
    QTest::keyClick(page.picGoal2->txtGoalDesc, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(bytesOf(two), QByteArray("two!\r\n"));
    QCOMPARE(bytesOf(one), QByteArray("one\r\n"));
}

void TestGoalsPage::failedSaveIsToldAndTheTextStays()
{
    const QString path = m_dir->filePath("goal1.txt");
    writeBytes(path, "Old goal\r\n");
    GoalsPage page(m_dir->path());
    page.LoadGoalSlots();
    const QString text(40000, QLatin1Char('x'));
    page.picGoal1->txtGoalDesc->setPlainText(text);
    {
        DiskFull full(1024);
        QVERIFY(full.active());
        page.picGoal1->cmdSaveGoal_Click();
    }
    QCOMPARE(bytesOf(path), QByteArray("Old goal\r\n"));
    QCOMPARE(page.picGoal1->txtGoalDesc->toPlainText(), text);
    QCOMPARE(m_prompt.shown.size(), 1);
    QVERIFY2(m_prompt.shown[0].text.contains(QStringLiteral("goal1.txt")),
             qPrintable(m_prompt.shown[0].text));
    QCOMPARE(m_prompt.shown[0].icon, Prompt::Icon::Critical);
    QCOMPARE(m_prompt.shown[0].buttons, Prompt::Buttons::Ok);

    // A character the file cannot hold is named, and nothing is written either.
    page.picGoal1->txtGoalDesc->setPlainText(QString::fromUtf8("Visit \u6771\u4eac"));
    page.picGoal1->cmdSaveGoal_Click();
    QCOMPARE(bytesOf(path), QByteArray("Old goal\r\n"));
    QCOMPARE(m_prompt.shown.size(), 2);
    QVERIFY(m_prompt.shown[1].text.contains(QStringLiteral("goal1.txt")));
    QVERIFY(m_prompt.shown[1].text.contains(QString::fromUtf8("\u6771")));
    QCOMPARE(page.picGoal1->txtGoalDesc->toPlainText(), QString::fromUtf8("Visit \u6771\u4eac"));
}

QTEST_MAIN(TestGoalsPage)
#include "tst_goalspage.moc"

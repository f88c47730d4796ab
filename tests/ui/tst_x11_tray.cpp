// The tray on a real X server with a tray host: the icon, its tip and menu, the start-up
// rule for a log-on launch, and coming back from the tray.
#include "ListRows.h"
#include "TestFiles.h"
#include "core/AppFolder.h"
#include "core/AtomicWrite.h"
#include "core/Browser.h"
#include "core/Prompt.h"
#include "display/ShowCycle.h"
#include "settings/LogonLaunch.h"
#include "settings/SettingsStore.h"
#include "ui/FrmAll.h"
#include "ui/GoalSlot.h"
#include "ui/GoalsPage.h"
#include "ui/ProgramsPage.h"
#include "ui/SettingsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace TestFiles;

namespace {
struct SilentPrompt : Prompt
{
    QStringList asked;
    Answer ask(const QString& text, Icon, Buttons b) override
    {
        asked.append(text);
        return b == Buttons::Ok ? Answer::Ok : Answer::No;
    }
};
struct NoBrowser : Browser
{
    bool openUrl(const QUrl&) override { return true; }
};

// How many icons the tray host holds: the windows embedded in its panel.
int iconsInTray()
{
    QProcess find;
    find.start(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--class"), QStringLiteral("trayer")});
    find.waitForFinished(5000);
    int icons = 0;
    for (const QByteArray& id : find.readAllStandardOutput().split('\n')) {
        if (id.trimmed().isEmpty())
            continue;
        QProcess tree;
        tree.start(QStringLiteral("xwininfo"),
                   {QStringLiteral("-id"), QString::fromLatin1(id.trimmed()),
                    QStringLiteral("-children")});
        tree.waitForFinished(5000);
        const QByteArray out = tree.readAllStandardOutput();
        if (!out.contains("\"panel\""))
            continue;
        for (const QByteArray& line : out.split('\n')) {
            // The panel keeps a 1 x 1 window of its own; every other child holds an icon.
            if (line.startsWith("     0x") && !line.contains(" 1x1+"))
                ++icons;
        }
    }
    return icons;
}
} // namespace

class TestTray : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void withoutTrayMinimisesThenMovesToTheTray();
    void logOnLaunchLeavesExactlyOneIcon();
    void clicksOnTheIcon_data();
    void clicksOnTheIcon();
    void exitFromTheTray();
    void windowIsMadeWhenFirstShown();

private:
    std::unique_ptr<FrmAll> startInTray();
    void startTrayHost();

    QProcess m_trayer;
    SilentPrompt m_prompt;
    NoBrowser m_browser;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_store;
};

void TestTray::initTestCase()
{
    Prompt::set(&m_prompt);
    Browser::set(&m_browser);
    AppFolder::setBaseNameOverride(QStringLiteral("zentrivo"));
    QVERIFY2(!QSystemTrayIcon::isSystemTrayAvailable(), "another tray host is running");
}

void TestTray::startTrayHost()
{
    if (m_trayer.state() == QProcess::Running)
        return;
    m_trayer.start(QStringLiteral("trayer"),
                   {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                    QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                    QStringLiteral("--width"), QStringLiteral("96"), QStringLiteral("--height"),
                    QStringLiteral("24")});
    QVERIFY2(m_trayer.waitForStarted(5000), "trayer, the tray host, is needed");
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
}

void TestTray::cleanupTestCase()
{
    m_trayer.kill();
    m_trayer.waitForFinished();
}

void TestTray::init()
{
    if (QByteArray(QTest::currentTestFunction()) != "withoutTrayMinimisesThenMovesToTheTray")
        startTrayHost();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("config")).toLocal8Bit());
    const QString app = m_dir->filePath(QStringLiteral("app"));
    writeFile(app + "/plugins/Calm.txt", "\"breathe\",#TRUE#\r\n");
    writeFile(app + "/FileNames.txt", "\"Calm\",#TRUE#\r\n");
    AppFolder::setOverride(app);
    m_store = SettingsStore::atIniFile(m_dir->filePath(QStringLiteral("z.ini")));
}

void TestTray::cleanup()
{
    LogonLaunch::setExecutablePathOverride({});
    m_store.reset();
    m_dir.reset();
}

// A log-on launch with "Start at system tray" ticked and the show left running: the start-up
// rule and the show's start both send the window to the tray.
std::unique_ptr<FrmAll> TestTray::startInTray()
{
    LogonLaunch::setExecutablePathOverride(QStringLiteral("/opt/zentrivo/zentrivo"));
    if (!LogonLaunch::UpdateRunValue(QStringLiteral("zentrivo"), QStringLiteral("/opt/zentrivo"),
                                     true)
             .ok() ||
        !m_store
             ->SaveSetting(QStringLiteral("Settings"), QStringLiteral("RunAtSysTray"),
                           QStringLiteral("True"))
             .ok())
        return nullptr;
    auto frm = std::make_unique<FrmAll>(*m_store);
    if (!frm->Form_Load({QStringLiteral("/STARTUP")}))
        return nullptr;
    return frm;
}

// Without a tray a hidden window could never come back: it stays in the taskbar, minimised,
// and moves to the tray once a tray host appears.
void TestTray::withoutTrayMinimisesThenMovesToTheTray()
{
    auto frm = startInTray();
    QVERIFY(frm);
    QVERIFY(frm->showCycle->isShowing());
    QVERIFY(frm->isVisible());
    QVERIFY(frm->isMinimized());
    QVERIFY(!frm->trayIcon()->isVisible());
    startTrayHost();
    QTRY_VERIFY_WITH_TIMEOUT(frm->isInTray(), 15000);
    QVERIFY(!frm->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(iconsInTray(), 1, 5000);
}

void TestTray::logOnLaunchLeavesExactlyOneIcon()
{
    auto frm = startInTray();
    QVERIFY(frm);
    QVERIFY(frm->showCycle->isShowing());
    QVERIFY(frm->isInTray());
    QVERIFY(!frm->isVisible());
    // A window that was never shown has no native window while the program sits in the tray.
    QVERIFY(!frm->testAttribute(Qt::WA_WState_Created));
    QCOMPARE(frm->trayIcon()->toolTip(), QStringLiteral("Recent"));
    QCOMPARE(frm->trayIcon()->contextMenu(), frm->mnuPopUp);
    QTRY_COMPARE_WITH_TIMEOUT(iconsInTray(), 1, 5000);

    frm->mnuPop->trigger(); // "Show"
    QVERIFY(frm->isVisible());
    QVERIFY(!frm->isMinimized());
    QVERIFY(!frm->trayIcon()->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(iconsInTray(), 0, 5000);
    QVERIFY(frm->showCycle->isShowing()); // the show went on all along
}

void TestTray::clicksOnTheIcon_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("shown");
    QTest::newRow("single left click does nothing") << int(QSystemTrayIcon::Trigger) << false;
    QTest::newRow("left double-click shows") << int(QSystemTrayIcon::DoubleClick) << true;
    QTest::newRow("middle click does nothing") << int(QSystemTrayIcon::MiddleClick) << false;
}

void TestTray::clicksOnTheIcon()
{
    QFETCH(int, reason);
    QFETCH(bool, shown);
    auto frm = startInTray();
    QVERIFY(frm);
    emit frm->trayIcon()->activated(QSystemTrayIcon::ActivationReason(reason));
    QCOMPARE(frm->isVisible(), shown);
    QCOMPARE(frm->trayIcon()->isVisible(), !shown);
}

void TestTray::exitFromTheTray()
{
    QVERIFY(m_store
                ->SaveSetting(QStringLiteral("Settings"), QStringLiteral("DispInterval"),
                              QStringLiteral("3"))
                .ok());
    auto frm = startInTray();
    QVERIFY(frm);
    frm->mnuExit1->trigger();
    QVERIFY(frm->isUnloaded());
    QVERIFY(!frm->trayIcon()->isVisible());
    // The window was never shown: the settings stored are the ones read at the start.
    for (const auto& [key, stored] :
         {std::pair{"AutoDisplay", "True"}, {"DispInterval", "3"}, {"RunAtSysTray", "True"}})
        QCOMPARE(m_store->GetSetting(QStringLiteral("Settings"), QString::fromLatin1(key)),
                 QString::fromLatin1(stored));
}

// A log-on launch into the tray carries none of the window's pages; they are made when the
// user first asks for the window, and show what the start read, as they would have shown it
// from the start. Making them acts on nothing: every write fails from then on, and no box
// says so.
void TestTray::windowIsMadeWhenFirstShown()
{
    const QString app = AppFolder::path();
    writeFile(app + "/plugins/New.txt", "\"fresh\",#TRUE#\r\n");
    writeFile(app + "/goal1.txt", "get fit\r\n");
    for (const auto& [key, stored] :
         {std::pair{"AutoDisplay", "False"}, {"DispInterval", "3"}, {"RandomLocation", "1"}})
        QVERIFY(m_store
                    ->SaveSetting(QStringLiteral("Settings"), QString::fromLatin1(key),
                                  QString::fromLatin1(stored))
                    .ok());
    auto frm = startInTray();
    QVERIFY(frm);
    QVERIFY(frm->isInTray());
    QVERIFY(!frm->centralWidget());
    QVERIFY(!frm->programsPage && !frm->goalsPage && !frm->settingsPage && !frm->picAbout);
    // What the start stores, it stored at the start.
    QCOMPARE(readFile(app + "/FileNames.txt"), "\"Calm\",#TRUE#\r\n\"New\",#FALSE#\r\n");
    QVERIFY(QFile::exists(app + "/goal2.txt"));

    m_prompt.asked.clear();
    AtomicWrite::failAtForTests(AtomicWrite::Step::Commit);
    frm->mnuPop->trigger();
    AtomicWrite::failAtForTests(AtomicWrite::Step::None);
    QCOMPARE(m_prompt.asked, QStringList());
    QVERIFY(frm->isVisible());
    QCOMPARE(frm->centralWidget()->size(), QSize(570, 447));
    QCOMPARE(frm->frontPage(), frm->programsPage);
    const auto* programs = frm->programsPage->findChild<QTableView*>("lvwDisplayFiles");
    QCOMPARE(ListRows::texts(programs), (QStringList{"Calm", "New"}));
    QCOMPARE(ListRows::ticks(programs), (QList<bool>{true, false}));
    QCOMPARE(frm->programsPage->findChild<QLineEdit*>("txtEditText")->text(), "breathe");
    QCOMPARE(frm->goalsPage->picGoal1->txtGoalDesc->toPlainText(), "get fit");
    frm->ShowPage(frm->settingsPage); // as the user sees the settings
    const SettingsPage* settings = frm->settingsPage;
    QCOMPARE(settings->cboDispInterval->currentText(), "15");
    QVERIFY(settings->optLocation[1]->isChecked());
    QVERIFY(settings->optRun->isChecked());
    QVERIFY(settings->chkSysTray->isEnabled());
    QVERIFY(settings->chkSysTray->isChecked());
}

QTEST_MAIN(TestTray)
#include "tst_x11_tray.moc"

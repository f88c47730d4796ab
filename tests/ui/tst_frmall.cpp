// The main window as a user meets it: start-up, pages, menus, and leaving the program.
#include "RecordingPrompt.h"
#include "TestFiles.h"
#include "core/AppFolder.h"
#include "core/Browser.h"
#include "core/ProgramEnd.h"
#include "core/Prompt.h"
#include "display/ShowCycle.h"
#include "settings/LogonLaunch.h"
#include "settings/SettingsStore.h"
#include "ui/AboutPage.h"
#include "ui/FrmAll.h"
#include "ui/ImageButton.h"
#include "ui/ProgramsPage.h"
#include "ui/SettingsPage.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace TestFiles;

namespace {

struct FakeBrowser : Browser
{
    QStringList opened;
    bool openUrl(const QUrl& url) override
    {
        opened.append(url.toString());
        return true;
    }
};

} // namespace

class TestFrmAll : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensOnProgramsPage();
    void pageOrder_data();
    void pageOrder();
    void menus();
    void missingPluginsEndsAndStoresNothing();
    void firstLaunchStartsTheShow();
    void stoppedShowOpensOnScreen();
    void startStopControlsFollowTheShow_data();
    void startStopControlsFollowTheShow();
    void logOnLaunch_data();
    void logOnLaunch();
    void dontRunUnticksTrayBox();
    void leaving_data();
    void leaving();
    void accessKeysRunTheirCommands();

private:
    std::unique_ptr<FrmAll> makeWindow();
    QString iniPath() const { return m_dir->filePath("config/zentrivo/zentrivo.ini"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_store;
    RecordingPrompt m_prompt;
    FakeBrowser m_browser;
};

void TestFrmAll::initTestCase()
{
    Prompt::set(&m_prompt);
    Browser::set(&m_browser);
    AppFolder::setBaseNameOverride("zentrivo");
}

void TestFrmAll::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_dir->filePath("config").toLocal8Bit());
    const QString app = m_dir->filePath("app");
    writeFile(app + "/plugins/Calm.txt", "\"breathe\",#TRUE#\r\n");
    writeFile(app + "/plugins/Focus.txt", "\"one thing\",#TRUE#\r\n");
    writeFile(app + "/FileNames.txt", "\"Calm\",#TRUE#\r\n\"Focus\",#FALSE#\r\n");
    AppFolder::setOverride(app);
    m_store = SettingsStore::atIniFile(iniPath());
    m_prompt.shown.clear();
    m_prompt.answers.clear();
    m_browser.opened.clear();
}

void TestFrmAll::cleanup()
{
    ProgramEnd::reset();
    m_store.reset();
    m_dir.reset();
}

std::unique_ptr<FrmAll> TestFrmAll::makeWindow()
{
    return std::make_unique<FrmAll>(*m_store);
}

void TestFrmAll::opensOnProgramsPage()
{
    QVERIFY(m_store->SaveSetting("Settings", "AutoDisplay", "False").ok());
    auto frm = makeWindow();
    QVERIFY(frm->Form_Load({}));
    QCOMPARE(frm->frontPage(), frm->programsPage);
    QVERIFY(frm->isVisible());
    QCOMPARE(frm->windowTitle(), QStringLiteral("Zentrivo v1.0"));
    QCOMPARE(frm->centralWidget()->size(), QSize(570, 447));
    // The menu bar across the top, the client area right below it, the window as large as
    // both and no larger, and known to assistive technologies as a window.
    const int bar = frm->menuBar()->height();
    QVERIFY(bar > 0);
    QCOMPARE(frm->menuBar()->geometry(), QRect(0, 0, 570, bar));
    QCOMPARE(frm->centralWidget()->pos(), QPoint(0, bar));
    QCOMPARE(frm->size(), QSize(570, bar + 447));
    QCOMPARE(frm->minimumSize(), frm->maximumSize());
    QCOMPARE(QAccessible::queryAccessibleInterface(frm.get())->role(), QAccessible::Window);
}

void TestFrmAll::pageOrder_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("front");
    QTest::newRow("settings, About, OK") << QStringList{"settings", "about", "ok"} << "Picture3";
    QTest::newRow("About twice, OK") << QStringList{"goals", "about", "about", "ok"} << "Picture1";
    QTest::newRow("same page twice") << QStringList{"settings", "settings"} << "Picture3";
    QTest::newRow("goals, then programs") << QStringList{"goals", "programs"} << "Picture2";
}

void TestFrmAll::pageOrder()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, front);
    QVERIFY(m_store->SaveSetting("Settings", "AutoDisplay", "False").ok());
    auto frm = makeWindow();
    QVERIFY(frm->Form_Load({}));
    for (const QString& c : clicks) {
        if (c == "about") {
            frm->mnuAbout->trigger();
            continue;
        }
        ImageButton* button = c == "settings"   ? frm->picSettings
                              : c == "goals"    ? frm->picGoals
                              : c == "programs" ? frm->picPrograms2
                                                : frm->picAbout->picOK;
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    }
    QCOMPARE(frm->frontPage()->objectName(), front);
    // The page in front is the one a user sees at the middle of the page area.
    const QPoint middle = frm->centralWidget()->mapTo(frm.get(), QPoint(8 + 276, 84 + 155));
    QWidget* hit = frm->childAt(middle);
    while (hit && hit->parentWidget() != frm->centralWidget())
        hit = hit->parentWidget();
    QCOMPARE(hit ? hit->objectName() : QString(), front);
}

void TestFrmAll::menus()
{
    QVERIFY(m_store->SaveSetting("Settings", "AutoDisplay", "False").ok());
    auto frm = makeWindow();
    QVERIFY(frm->Form_Load({}));
    QStringList bar;
    for (QAction* a : frm->menuBar()->actions())
        bar << a->text();
    QCOMPARE(bar, (QStringList{"&File", "&Help"}));
    QStringList file, help, tray;
    for (QAction* a : frm->mnuFile->actions())
        file << a->text();
    for (QAction* a : frm->mnuHelp->actions())
        help << a->text();
    for (QAction* a : frm->mnuPopUp->actions())
        tray << a->text();
    QCOMPARE(file, QStringList{"E&xit"});
    QCOMPARE(help, (QStringList{"&Online Help", "&Visit Us Online", "&About Software"}));
    QCOMPARE(tray, (QStringList{"Show", "Exit"}));
    QCOMPARE(frm->mnuPopUp->defaultAction(), frm->mnuPop);

    frm->mnuOnline->trigger();
    QTest::mouseClick(frm->picHelp, Qt::LeftButton, {}, QPoint(5, 5));
    frm->mnuVisit->trigger();
    QCOMPARE(m_browser.opened,
             (QStringList{"https://zentrivo.example/zentrivo-help/",
                          "https://zentrivo.example/zentrivo-help/", "https://zentrivo.example"}));
}

void TestFrmAll::missingPluginsEndsAndStoresNothing()
{
    QDir(AppFolder::path() + "/plugins").removeRecursively();
    QVERIFY(m_store->SaveSetting("Settings", "DispInterval", "7").ok());
    const QByteArray before = readFile(iniPath());
    auto frm = makeWindow();
    QVERIFY(!frm->Form_Load({}));
    QCOMPARE(m_prompt.shown.size(), 1);
    QCOMPARE(m_prompt.shown[0].text, QStringLiteral("Required File(s) To Run Zentrivo Is Missing\n"
                                                    "Please ReInstall Zentrivo"));
    QCOMPARE(m_prompt.shown[0].icon, Prompt::Icon::Critical);
    QCOMPARE(m_prompt.shown[0].buttons, Prompt::Buttons::Ok);
    QVERIFY(!frm->isVisible());
    frm.reset();
    QCOMPARE(readFile(iniPath()), before);
    QVERIFY(m_browser.opened.isEmpty());
}

void TestFrmAll::firstLaunchStartsTheShow()
{
    auto frm = makeWindow();
    QVERIFY(frm->Form_Load({}));
    QVERIFY(frm->showCycle->isShowing());
    QCOMPARE(frm->cmdStart->text(), QStringLiteral("Stop"));
    QCOMPARE(frm->picStart->pictureKey(), QStringLiteral("stop-showing"));
    // Sent away: into the tray, or minimised where the desktop has no tray.
    QVERIFY(frm->isInTray() || frm->isMinimized());
    // The press stored the state from before it.
    QCOMPARE(m_store->GetSetting("Settings", "AutoDisplay"), QStringLiteral("True"));
}

void TestFrmAll::stoppedShowOpensOnScreen()
{
    QVERIFY(m_store->SaveSetting("Settings", "AutoDisplay", "False").ok());
    auto frm = makeWindow();
    QVERIFY(frm->Form_Load({"/STARTUP"}));
    QVERIFY(!frm->showCycle->isShowing());
    QVERIFY(frm->isVisible() && !frm->isMinimized());
    QVERIFY(!frm->settingsPage->chkSysTray->isEnabled());
    QVERIFY(frm->settingsPage->optDontRun->isChecked());
}

void TestFrmAll::startStopControlsFollowTheShow_data()
{
    QTest::addColumn<QString>("control");
    for (const char* control :
         {"picStart", "picStart1", "picStartInSettings", "cmdStart", "cmdNext"})
        QTest::newRow(control) << QString::fromLatin1(control);
}

// Every start/stop control toggles the show, and all of them follow it: both captions say
// what a press does next, and the three pictures show it.
void TestFrmAll::startStopControlsFollowTheShow()
{
    QFETCH(QString, control);
    QVERIFY(m_store->SaveSetting("Settings", "AutoDisplay", "False").ok());
    auto frm = makeWindow();
    QVERIFY(frm->Form_Load({}));
    ImageButton* inSettings = frm->settingsPage->picStartInSettings;
    const auto press = [&] {
        frm->mnuPop_Click();
        if (control == "cmdStart" || control == "cmdNext") {
            (control == "cmdStart" ? frm->cmdStart : frm->cmdNext)->trigger();
            return;
        }
        frm->ShowPage(control == "picStartInSettings" ? static_cast<QWidget*>(frm->settingsPage)
                                                      : frm->programsPage);
        ImageButton* button = control == "picStart"    ? frm->picStart
                              : control == "picStart1" ? frm->programsPage->picStart1()
                                                       : inSettings;
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    };
    const auto looks = [&] {
        return QStringList{frm->cmdStart->text(), frm->cmdNext->text(), frm->picStart->pictureKey(),
                           frm->programsPage->picStart1()->pictureKey(), inSettings->pictureKey()};
    };
    const QString start = "Start Showing Subliminal Messages";
    const QStringList off{start, start, "start-showing", "start-showing-2", "start-showing-2"};
    const QStringList on{"Stop", "Stop", "stop-showing", "stop-showing-2", "stop-showing-2"};
    const auto sentAway = [&] { return frm->isInTray() || frm->isMinimized(); };
    QCOMPARE(looks(), off);

    press();
    QVERIFY(frm->showCycle->isShowing());
    QCOMPARE(looks(), on);
    QVERIFY(sentAway());
    QCOMPARE(m_store->GetSetting("Settings", "AutoDisplay"), QStringLiteral("False"));

    press(); // stopping leaves the window where it is
    QVERIFY(!frm->showCycle->isShowing());
    QCOMPARE(looks(), off);
    QVERIFY(!sentAway());
    QCOMPARE(m_store->GetSetting("Settings", "AutoDisplay"), QStringLiteral("True"));

    // Without a selection list the show cannot start: the controls stay as they were, and the
    // window goes away all the same.
    QVERIFY(QFile::remove(AppFolder::path() + "/FileNames.txt"));
    press();
    QVERIFY(!frm->showCycle->isShowing());
    QCOMPARE(looks(), off);
    QVERIFY(sentAway());
}

void TestFrmAll::logOnLaunch_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("sentAway");
    QTest::newRow("/STARTUP, box ticked") << QStringList{"/STARTUP"} << "True" << true << true;
    QTest::newRow("/startup, box ticked") << QStringList{"/startup"} << "True" << true << false;
    QTest::newRow("no switch, box ticked") << QStringList{} << "True" << true << false;
    QTest::newRow("/STARTUP, box unticked") << QStringList{"/STARTUP"} << "False" << false << false;
    QTest::newRow("/STARTUP, lower-case true")
        << QStringList{"/STARTUP"} << "true" << false << false;
    QTest::newRow("/STARTUP among others")
        << QStringList{"-x", "a/STARTUPb"} << "True" << true << true;
}

void TestFrmAll::logOnLaunch()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, stored);
    QFETCH(bool, ticked);
    QFETCH(bool, sentAway);
    LogonLaunch::setExecutablePathOverride("/opt/zentrivo/zentrivo");
    QVERIFY(LogonLaunch::UpdateRunValue("zentrivo", "/opt/zentrivo", true).ok());
    QVERIFY(LogonLaunch::HasRunValue("zentrivo"));
    QVERIFY(m_store->SaveSetting("Settings", "AutoDisplay", "False").ok());
    QVERIFY(m_store->SaveSetting("Settings", "RunAtSysTray", stored).ok());
    auto frm = makeWindow();
    QVERIFY(frm->Form_Load(arguments));
    frm->ShowPage(frm->settingsPage); // as the user sees the settings
    QVERIFY(frm->settingsPage->optRun->isChecked());
    QVERIFY(frm->settingsPage->chkSysTray->isEnabled());
    QCOMPARE(frm->settingsPage->chkSysTray->isChecked(), ticked);
    QCOMPARE(frm->isInTray() || frm->isMinimized(), sentAway);
    QVERIFY(!frm->showCycle->isShowing());
    LogonLaunch::setExecutablePathOverride({});
}

void TestFrmAll::dontRunUnticksTrayBox()
{
    QVERIFY(LogonLaunch::UpdateRunValue("zentrivo", "/opt/zentrivo", true).ok());
    QVERIFY(m_store->SaveSetting("Settings", "AutoDisplay", "False").ok());
    QVERIFY(m_store->SaveSetting("Settings", "RunAtSysTray", "True").ok());
    auto frm = makeWindow();
    QVERIFY(frm->Form_Load({}));
    QVERIFY(frm->settingsPage->chkSysTray->isChecked());
    frm->ShowPage(frm->settingsPage);
    QTest::mouseClick(frm->settingsPage->optDontRun, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!frm->settingsPage->chkSysTray->isChecked());
    QVERIFY(!frm->settingsPage->chkSysTray->isEnabled());
    QCOMPARE(m_store->GetSetting("Settings", "RunAtSysTray"), QStringLiteral("False"));
    QVERIFY(!LogonLaunch::HasRunValue("zentrivo"));
}

void TestFrmAll::leaving_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("showing");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<QString>("autoDisplay"); // stored afterwards; empty: nothing stored
    QTest::addColumn<bool>("showingAfter");
    QTest::newRow("close box, show running") << "close" << true << false << "" << true;
    QTest::newRow("close box, show stopped") << "close" << false << false << "" << false;
    QTest::newRow("exit question Yes") << "yes" << true << true << "True" << false;
    QTest::newRow("exit question No, show stopped") << "no" << false << false << "False" << true;
    QTest::newRow("exit question No, show running") << "no" << true << false << "" << true;
    QTest::newRow("File Exit while showing") << "file" << true << true << "True" << false;
    QTest::newRow("File Exit, show stopped") << "file" << false << true << "False" << false;
    QTest::newRow("tray Exit") << "tray" << true << true << "True" << false;
    QTest::newRow("end of the desktop session") << "session" << true << true << "True" << false;
}

void TestFrmAll::leaving()
{
    QFETCH(QString, how);
    QFETCH(bool, showing);
    QFETCH(bool, ends);
    QFETCH(QString, autoDisplay);
    QFETCH(bool, showingAfter);
    QVERIFY(m_store->SaveSetting("Settings", "AutoDisplay", "False").ok());
    auto frm = makeWindow();
    QVERIFY(frm->Form_Load({}));
    if (showing)
        frm->showCycle->cmdStart_Click();
    frm->mnuPop_Click();
    QFile::remove(iniPath()); // from here on, only what leaving stores
    QSignalSpy unloaded(frm.get(), &FrmAll::unloaded);

    if (how == "close") {
        frm->close();
    } else if (how == "yes" || how == "no") {
        m_prompt.answers = {how == "yes" ? Prompt::Answer::Yes : Prompt::Answer::No};
        QTest::mouseClick(frm->picExit1, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m_prompt.shown.last().text,
                 QStringLiteral("Are You Sure You Want To Exit Zentrivo?\n"
                                "If you exit now you will not be able to view the Subliminal "
                                "Messages\nIf you want to continue seeing Messages click on 'No'"));
        QCOMPARE(m_prompt.shown.last().icon, Prompt::Icon::Exclamation);
        QCOMPARE(m_prompt.shown.last().buttons, Prompt::Buttons::YesNo);
    } else if (how == "file") {
        frm->mnuExit->trigger();
    } else if (how == "tray") {
        frm->mnuExit1->trigger();
    } else if (how == "session") {
        frm->EndSession();
    }

    QCOMPARE(unloaded.size(), ends ? 1 : 0);
    QCOMPARE(frm->isUnloaded(), ends);
    QCOMPARE(frm->showCycle->isShowing() && !frm->isUnloaded(), showingAfter);
    if (autoDisplay.isEmpty()) {
        QVERIFY(!QFile::exists(iniPath()));
    } else {
        // Every setting is stored, with the show state of the moment of leaving.
        QCOMPARE(readFile(iniPath()), "[Settings]\nAutoDisplay=" + autoDisplay.toLatin1() +
                                          "\nDispDuration=2\nDispInterval=1\nFontBold=False\n"
                                          "FontColor=0\nFontItalic=False\nFontName=Verdana\n"
                                          "FontSize=10\nRandomLocation=0\nRandomMessage=0\n"
                                          "RunAtSysTray=False\nStrikethrough=False\n"
                                          "Underline=False\n");
    }
    const QStringList thankYou{"https://zentrivo.example/thankyou-for-using-zentrivo.php"};
    QCOMPARE(m_browser.opened, ends ? thankYou : QStringList());
    if (ends) {
        frm->Unload(); // a second request ends nothing more
        QCOMPARE(m_browser.opened, thankYou);
    }
}

void TestFrmAll::accessKeysRunTheirCommands()
{
    QVERIFY(m_store->SaveSetting("Settings", "AutoDisplay", "False").ok());
    auto frm = makeWindow();
    QVERIFY(frm->Form_Load({}));
    QApplication::setActiveWindow(frm.get());
    QVERIFY(QTest::qWaitForWindowActive(frm.get()));
    // Which page's keys work where: tst_gestures.
    QTest::keyClick(frm.get(), Qt::Key_X, Qt::AltModifier);
    QTRY_VERIFY(frm->isUnloaded());
}

QTEST_MAIN(TestFrmAll)
#include "tst_frmall.moc"

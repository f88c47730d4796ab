// The pause and hold commands of the tray menu, with the main window they belong to: their
// place in the menu, the tip that tells a pause's end, the ticks of the two choices, and
// leaving the program during a pause.
#include "RecordingPrompt.h"
#include "TestFiles.h"
#include "core/AppFolder.h"
#include "core/Browser.h"
#include "core/ProgramEnd.h"
#include "display/PauseRig.h"
#include "settings/SettingsStore.h"
#include "ui/FrmAll.h"
#include "ui/TrayPresence.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace TestFiles;

namespace {

struct NoBrowser : Browser
{
    bool openUrl(const QUrl&) override { return true; }
};

QDateTime at(int h, int m)
{
    return QDateTime(QDate(2026, 3, 2), QTime(h, m));
}

// The main window, and the hold main() gives it, on a clock the test moves and with no
// Do Not Disturb source.
struct Program
{
    std::unique_ptr<FrmAll> frm;
    FakeClock* clock = nullptr;
    std::unique_ptr<ShowHold> hold;

    explicit Program(SettingsStore& store, const QString& noGsettings)
    {
        frm = std::make_unique<FrmAll>(store);
        auto fake = std::make_unique<FakeClock>();
        fake->time = at(14, 20);
        clock = fake.get();
        hold =
            std::make_unique<ShowHold>(*frm->showCycle, store, std::move(fake),
                                       std::make_unique<DoNotDisturbWatch>(
                                           QDBusConnection(QStringLiteral("none")), noGsettings));
        frm->tray()->offerHold(*hold);
    }
    ~Program()
    {
        hold.reset();
        frm.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QAction* item(const QString& text) const
    {
        for (QAction* a : frm->mnuPopUp->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }
    QString tip() const { return frm->trayIcon()->toolTip(); }
};

} // namespace

class TestTrayHold : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void menuOrderAndTheItemsThatFollowTheShow();
    void tipTellsThePause_data();
    void tipTellsThePause();
    void leavingDuringAPauseStoresTheShowAsRunning();
    void choicesAreTickedAndStored();
    void choiceThatCannotBeStoredIsNotTaken();
    void monitorChoice_data();
    void monitorChoice();

private:
    QString iniPath() const { return m_dir->filePath("config/zentrivo/zentrivo.ini"); }
    QString noGsettings() const { return m_dir->filePath("no-gsettings"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_store;
    RecordingPrompt m_prompt;
    NoBrowser m_browser;
};

void TestTrayHold::initTestCase()
{
    // Local time half an hour off any whole hour of UTC: the tip tells the local time.
    qputenv("TZ", "XST-5:30");
    Prompt::set(&m_prompt);
    Browser::set(&m_browser);
    AppFolder::setBaseNameOverride("zentrivo");
}

void TestTrayHold::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_dir->filePath("config").toLocal8Bit());
    const QString app = m_dir->filePath("app");
    writeFile(app + "/plugins/Calm.txt", "\"breathe\",#TRUE#\r\n");
    writeFile(app + "/FileNames.txt", "\"Calm\",#TRUE#\r\n");
    AppFolder::setOverride(app);
    m_store = SettingsStore::atIniFile(iniPath());
    m_prompt.shown.clear();
}

void TestTrayHold::cleanup()
{
    ProgramEnd::reset();
    m_store.reset();
    m_dir.reset();
}

void TestTrayHold::menuOrderAndTheItemsThatFollowTheShow()
{
    QVERIFY(m_store->SaveSetting("Settings", "AutoDisplay", "False").ok());
    Program p(*m_store, noGsettings());
    QVERIFY(p.frm->Form_Load({}));
    QStringList menu;
    for (QAction* a : p.frm->mnuPopUp->actions())
        menu << (a->isSeparator() ? "-" : a->text());
    QCOMPARE(menu, (QStringList{"Show", "-", "Pause for 15 minutes", "Pause for 1 hour",
                                "Pause until I resume", "Resume", "-",
                                "Hold while a full-screen window is active",
                                "Hold during Do Not Disturb", "Show messages on", "-", "Exit"}));
    QCOMPARE(p.frm->mnuPopUp->defaultAction(), p.frm->mnuPop);

    // A stopped show has nothing to pause.
    const QStringList pauses{"Pause for 15 minutes", "Pause for 1 hour", "Pause until I resume"};
    for (const QString& pause : pauses)
        QVERIFY2(!p.item(pause)->isEnabled(), qPrintable(pause));
    QVERIFY(!p.item("Resume")->isVisible());

    p.frm->cmdStart->trigger();
    for (const QString& pause : pauses)
        QVERIFY2(p.item(pause)->isEnabled(), qPrintable(pause));
    p.item("Pause for 1 hour")->trigger();
    QVERIFY(p.hold->isPaused());
    QVERIFY(p.item("Resume")->isVisible());
    p.item("Resume")->trigger();
    QVERIFY(!p.hold->isPaused());
    QVERIFY(!p.item("Resume")->isVisible());

    // A stop during a pause ends it.
    p.item("Pause until I resume")->trigger();
    p.frm->cmdStart->trigger();
    QVERIFY(!p.frm->showCycle->isShowing());
    QVERIFY(!p.hold->isPaused());
    QVERIFY(!p.item("Resume")->isVisible());
    QVERIFY(!p.item("Pause for 15 minutes")->isEnabled());
    // Nothing here tells a Do Not Disturb state.
    QTRY_VERIFY(!p.item("Hold during Do Not Disturb")->isEnabled());
}

void TestTrayHold::tipTellsThePause_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("tip");
    QTest::newRow("15 minutes") << "Pause for 15 minutes"
                                << "Recent - paused until 14:35";
    QTest::newRow("1 hour") << "Pause for 1 hour"
                            << "Recent - paused until 15:20";
    QTest::newRow("until I resume") << "Pause until I resume"
                                    << "Recent - paused until I resume";
}

void TestTrayHold::tipTellsThePause()
{
    QFETCH(QString, item);
    QFETCH(QString, tip);
    Program p(*m_store, noGsettings());
    QVERIFY(p.frm->Form_Load({})); // the first run starts the show
    QCOMPARE(p.tip(), "Recent");
    p.item(item)->trigger();
    QCOMPARE(p.tip(), tip);
    p.clock->pass(at(15, 21));
    QCOMPARE(p.tip(), item == "Pause until I resume" ? tip : "Recent");
    p.item("Resume")->trigger();
    QCOMPARE(p.tip(), "Recent");
}

void TestTrayHold::leavingDuringAPauseStoresTheShowAsRunning()
{
    Program p(*m_store, noGsettings());
    QVERIFY(p.frm->Form_Load({}));
    QVERIFY(p.frm->showCycle->isShowing());
    p.item("Pause until I resume")->trigger();
    p.frm->mnuExit1->trigger();
    QVERIFY(p.frm->isUnloaded());
    QCOMPARE(m_store->GetSetting("Settings", "AutoDisplay"), "True");
}

void TestTrayHold::choicesAreTickedAndStored()
{
    QVERIFY(m_store->SaveSetting("Choices", "HoldWhileFullScreen", "True").ok());
    Program p(*m_store, noGsettings());
    QAction* fullScreen = p.item("Hold while a full-screen window is active");
    QAction* doNotDisturb = p.item("Hold during Do Not Disturb");
    QVERIFY(fullScreen->isCheckable() && doNotDisturb->isCheckable());
    QVERIFY(fullScreen->isChecked());
    QVERIFY(doNotDisturb->isChecked()); // the default
    // Ticked as a click does (an item may be shown disabled where its source is missing).
    fullScreen->toggle();
    QCOMPARE(m_store->GetSetting("Choices", "HoldWhileFullScreen"), "False");
    doNotDisturb->toggle();
    QCOMPARE(m_store->GetSetting("Choices", "HoldDuringDoNotDisturb"), "False");
    QVERIFY(!p.hold->choices().HoldWhileFullScreen && !p.hold->choices().HoldDuringDoNotDisturb);
    QVERIFY(m_prompt.shown.isEmpty());
}

void TestTrayHold::choiceThatCannotBeStoredIsNotTaken()
{
    Program p(*m_store, noGsettings());
    // A folder where the settings file should be: the store will not write over it.
    QVERIFY(QDir().mkpath(iniPath()));
    QAction* fullScreen = p.item("Hold while a full-screen window is active");
    fullScreen->toggle();
    QVERIFY(!fullScreen->isChecked());
    QVERIFY(!p.hold->choices().HoldWhileFullScreen);
    QCOMPARE(m_prompt.shown.size(), 1);
    QVERIFY2(m_prompt.shown.first().text.startsWith(
                 QStringLiteral("The choice could not be saved to the file \"%1\".\n")
                     .arg(QDir::toNativeSeparators(iniPath()))),
             qPrintable(m_prompt.shown.first().text));
}

void TestTrayHold::monitorChoice_data()
{
    // The stored text, the option ticked then, the option chosen, whether the store can be
    // written, and the option ticked after.
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("ticked");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("after");
    const QString primary = "The primary monitor";
    const QString pointer = "The monitor with the mouse pointer";
    const QString every = "Every monitor";
    QTest::newRow("absent: the primary") << QString() << primary << every << true << every;
    QTest::newRow("the pointer's") << "1" << pointer << primary << true << primary;
    QTest::newRow("every") << "2" << every << pointer << true << pointer;
    QTest::newRow("unreadable: the primary") << "9" << primary << pointer << true << pointer;
    QTest::newRow("not stored: not taken") << "1" << pointer << every << false << pointer;
}

void TestTrayHold::monitorChoice()
{
    QFETCH(QString, stored);
    QFETCH(QString, ticked);
    QFETCH(QString, chosen);
    QFETCH(bool, writable);
    QFETCH(QString, after);
    if (!stored.isEmpty())
        QVERIFY(m_store->SaveSetting("Choices", "ShowMessagesOn", stored).ok());
    Program p(*m_store, noGsettings());
    QMenu* monitors = p.item("Show messages on")->menu();
    QVERIFY(monitors);
    const auto tickedNow = [monitors] {
        QStringList names;
        for (QAction* a : monitors->actions())
            if (a->isChecked())
                names << a->text();
        return names;
    };
    QCOMPARE(tickedNow(), QStringList{ticked});
    // A folder where the settings file should be: the store will not write over it.
    if (!writable)
        QVERIFY(QFile::remove(iniPath()) && QDir().mkpath(iniPath()));
    const QList<QAction*> options = monitors->actions();
    const auto option = std::find_if(options.begin(), options.end(),
                                     [&chosen](QAction* a) { return a->text() == chosen; });
    QVERIFY(option != options.end());
    (*option)->trigger(); // as a click does
    QCOMPARE(tickedNow(), QStringList{after});
    QCOMPARE(m_prompt.shown.size(), writable ? 0 : 1);
    // The option ticked is the one in force, and the one stored.
    const int inForce = p.hold->choices().ShowMessagesOn;
    QCOMPARE(monitors->actions().at(inForce)->text(), after);
    if (writable)
        QCOMPARE(m_store->GetSetting("Choices", "ShowMessagesOn"), QString::number(inForce));
}

QTEST_MAIN(TestTrayHold)
#include "tst_trayhold.moc"

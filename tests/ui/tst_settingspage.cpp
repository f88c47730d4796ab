// The settings page is the settings in memory: what the user picks is what the show uses and
// what the next save stores, and what was stored is what the page shows.
#include "RecordingPrompt.h"
#include "SettingsFile.h"
#include "TestFiles.h"
#include "WhenOpen.h"
#include "core/AppFolder.h"
#include "core/AtomicWrite.h"
#include "core/Browser.h"
#include "display/ShowCycle.h"
#include "settings/DisplaySettings.h"
#include "settings/LogonLaunch.h"
#include "settings/MessageFontDialog.h"
#include "settings/SettingsStore.h"
#include "ui/FrmAll.h"
#include "ui/ImageButton.h"
#include "ui/SettingsKeeper.h"
#include "ui/SettingsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace TestFiles;

namespace {
struct NoBrowser : Browser
{
    bool openUrl(const QUrl&) override { return true; }
};

// The main window on a one-program library, with its settings file (`settings`, or none when
// empty) and its log-on entry in a folder of their own.
struct Window
{
    RecordingPrompt prompt;
    NoBrowser browser;
    QTemporaryDir dir;
    QString ini = dir.filePath("config/zentrivo/zentrivo.ini");
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<FrmAll> frm;

    explicit Window(const QByteArray& settings)
    {
        Prompt::set(&prompt);
        Browser::set(&browser);
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
        const QString app = dir.filePath("app");
        writeFile(app + "/plugins/Calm.txt", rec("breathe"));
        writeFile(app + "/FileNames.txt", rec("Calm"));
        AppFolder::setOverride(app);
        AppFolder::setBaseNameOverride("zentrivo");
        LogonLaunch::setExecutablePathOverride("/opt/zentrivo/zentrivo");
        if (!settings.isEmpty())
            writeFile(ini, settings);
        store = SettingsStore::atIniFile(ini);
        frm = std::make_unique<FrmAll>(*store);
    }
    ~Window()
    {
        frm.reset();
        LogonLaunch::setExecutablePathOverride({});
        AppFolder::setOverride({});
        Prompt::set(nullptr);
        Browser::set(nullptr);
    }
    SettingsPage* page() const { return frm->settingsPage; }
    void click(QWidget* w) const { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, 6)); }
};
} // namespace

class TestSettingsPage : public QObject
{
    Q_OBJECT
private slots:
    void captionsAndStartState();
    void listsHoldEveryChoice();
    void pageChangesReachTheSettings_data();
    void pageChangesReachTheSettings();
    void storedSettingsShowOnThePage();
    void sessionStoresTheseBytes_data();
    void sessionStoresTheseBytes();
    void failuresAreToldByTheWindow_data();
    void failuresAreToldByTheWindow();
};

void TestSettingsPage::captionsAndStartState()
{
    QTemporaryDir dir;
    auto store = SettingsStore::atIniFile(dir.filePath("z.ini"));
    DisplaySettings s;
    SettingsKeeper keeper(s, *store);
    SettingsPage page(keeper);
    QCOMPARE(page.Label3->text(), QStringLiteral("Enter your Program Settings here."));
    QCOMPARE(page.picMessageFrequency->title(), QStringLiteral("Message Frequency"));
    QCOMPARE(page.picMessageDisplay->title(), QStringLiteral("Message Display Order"));
    QCOMPARE(page.picMessageLocation->title(), QStringLiteral("Message Location"));
    QCOMPARE(page.picRun->title(), QStringLiteral("Run on Windows Start-Up"));
    QCOMPARE(page.optMessage[0]->text(), QStringLiteral("Random"));
    QCOMPARE(page.optMessage[1]->text(), QStringLiteral("As Written"));
    QCOMPARE(page.optLocation[0]->text(), QStringLiteral("Randomly on the Screen"));
    QCOMPARE(page.optLocation[1]->text(), QStringLiteral("Centre of the Screen"));
    QCOMPARE(page.optRun->text(), QStringLiteral("Run at start-up"));
    QCOMPARE(page.optDontRun->text(), QStringLiteral("Don't run at start-up"));
    QCOMPARE(page.chkSysTray->text(), QStringLiteral("Start at system tray"));
    QCOMPARE(page.lblNote->text(),
             QStringLiteral("This is a very important setting. Remember that if you want to get "
                            "the most benefit from this program then you must have it running at "
                            "all times.\nIt is also important that you keep your goals in mind, "
                            "hence starting in system tray will be a deterrent to those goals."));
    QStringList texts;
    for (const QLabel* l : page.picMessageFrequency->findChildren<QLabel*>())
        texts << l->text();
    for (const char* t : {"Below you can set the interval between each message and duration for "
                          "which each message is displayed.",
                          "Display every", "Sec", "Display for", "MilliSec"})
        QVERIFY2(texts.contains(QString::fromLatin1(t)), t);

    QVERIFY(page.optMessage[0]->isChecked());
    QVERIFY(page.optLocation[0]->isChecked());
    QVERIFY(page.optDontRun->isChecked());
    QVERIFY(!page.chkSysTray->isChecked());
    QVERIFY(!page.chkSysTray->isEnabled());
}

void TestSettingsPage::listsHoldEveryChoice()
{
    QTemporaryDir dir;
    auto store = SettingsStore::atIniFile(dir.filePath("z.ini"));
    DisplaySettings s;
    SettingsKeeper keeper(s, *store);
    SettingsPage page(keeper);
    page.fillLists();
    QStringList intervals, durations;
    for (int i = 0; i < page.cboDispInterval->count(); ++i)
        intervals << page.cboDispInterval->itemText(i);
    for (int i = 0; i < page.cboDispDuration->count(); ++i)
        durations << page.cboDispDuration->itemText(i);
    QCOMPARE(intervals, (QStringList{"2",  "5",  "10",  "15",  "20",  "25",  "30", "35", "40",
                                     "45", "50", "55",  "60",  "65",  "70",  "75", "80", "85",
                                     "90", "95", "100", "105", "110", "115", "120"}));
    QCOMPARE(durations, (QStringList{"20", "40", "60", "80", "100", "125", "150", "200"}));
    QVERIFY(!page.cboDispInterval->isEditable());
    QCOMPARE(page.cboDispInterval->currentIndex(), 1);
    QCOMPARE(page.cboDispDuration->currentIndex(), 2);
}

void TestSettingsPage::pageChangesReachTheSettings_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::newRow("As Written") << "asWritten"
                                << "RandomMessage"
                                << "1";
    QTest::newRow("Centre of the Screen") << "centre"
                                          << "RandomLocation"
                                          << "1";
    QTest::newRow("interval 120 s") << "interval24"
                                    << "DispInterval"
                                    << "24";
    QTest::newRow("duration 200 ms") << "duration7"
                                     << "DispDuration"
                                     << "7";
    QTest::newRow("back to Random") << "random"
                                    << "RandomMessage"
                                    << "0";
}

void TestSettingsPage::pageChangesReachTheSettings()
{
    QFETCH(QString, change);
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QTemporaryDir dir;
    const QString ini = dir.filePath("z.ini");
    auto store = SettingsStore::atIniFile(ini);
    DisplaySettings s;
    SettingsKeeper keeper(s, *store);
    SettingsPage page(keeper);
    page.fillLists();
    page.show();
    if (change == "asWritten")
        QTest::mouseClick(page.optMessage[1], Qt::LeftButton, {}, QPoint(6, 6));
    else if (change == "centre")
        QTest::mouseClick(page.optLocation[1], Qt::LeftButton, {}, QPoint(6, 6));
    else if (change == "interval24")
        page.cboDispInterval->setCurrentIndex(24);
    else if (change == "duration7")
        page.cboDispDuration->setCurrentIndex(7);
    else if (change == "random") {
        QTest::mouseClick(page.optMessage[1], Qt::LeftButton, {}, QPoint(6, 6));
        QTest::mouseClick(page.optMessage[0], Qt::LeftButton, {}, QPoint(6, 6));
    }
    QVERIFY(!QFile::exists(ini)); // stored at the next save
    page.saveSettings();
    QCOMPARE(store->GetSetting("Settings", key), stored);
    if (change == "interval24")
        QCOMPARE(s.intervalMs(), 120000);
    if (change == "duration7")
        QCOMPARE(s.durationMs(), 200);
}

void TestSettingsPage::storedSettingsShowOnThePage()
{
    QTemporaryDir dir;
    auto store = SettingsStore::atIniFile(dir.filePath("z.ini"));
    QVERIFY(store->SaveSetting("Settings", "DispInterval", "3").ok());
    QVERIFY(store->SaveSetting("Settings", "DispDuration", "5").ok());
    QVERIFY(store->SaveSetting("Settings", "RandomMessage", "1").ok());
    QVERIFY(store->SaveSetting("Settings", "RandomLocation", "1").ok());
    DisplaySettings s;
    SettingsKeeper keeper(s, *store);
    SettingsPage page(keeper);
    page.fillLists();
    page.loadSettings();
    QCOMPARE(page.cboDispInterval->currentText(), QStringLiteral("15"));
    QCOMPARE(page.cboDispDuration->currentText(), QStringLiteral("125"));
    QVERIFY(page.optMessage[1]->isChecked());
    QVERIFY(page.optLocation[1]->isChecked());
    QCOMPARE(s.DispInterval, 3);
    QCOMPARE(s.DispDuration, 5);
}

void TestSettingsPage::sessionStoresTheseBytes_data()
{
    QTest::addColumn<QByteArray>("before"); // the settings file at launch; empty: none
    QTest::addColumn<bool>("changeEverything");
    QTest::addColumn<QByteArray>("after"); // the settings file after leaving
    QTest::newRow("first run") << QByteArray() << false << firstRunSettingsWith();
    QTest::newRow("every setting changed") << QByteArray("[Settings]\nAutoDisplay=False\n") << true
                                           << firstRunSettingsWith({{"DispDuration", "7"},
                                                                    {"DispInterval", "24"},
                                                                    {"FontBold", "True"},
                                                                    {"FontColor", "5649426"},
                                                                    {"FontItalic", "True"},
                                                                    {"FontName", "DejaVu Serif"},
                                                                    {"FontSize", "12.5"},
                                                                    {"RandomLocation", "1"},
                                                                    {"RandomMessage", "1"},
                                                                    {"RunAtSysTray", "True"},
                                                                    {"Strikethrough", "True"},
                                                                    {"Underline", "True"}});
}

// The settings file a session leaves behind, byte for byte: what every control stores, in
// which text form, and what a first run stores.
void TestSettingsPage::sessionStoresTheseBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, changeEverything);
    QFETCH(QByteArray, after);
    Window w(before);
    QVERIFY(w.frm->Form_Load({}));
    if (changeEverything) {
        w.frm->mnuPop_Click();
        w.frm->ShowPage(w.page());
        w.page()->cboDispInterval->setCurrentIndex(24);
        w.page()->cboDispDuration->setCurrentIndex(7);
        w.click(w.page()->optMessage[1]);
        w.click(w.page()->optLocation[1]);
        w.click(w.page()->optRun);
        w.click(w.page()->chkSysTray);
        // The tray box is stored at once, on its own.
        QCOMPARE(readFile(w.ini), before + "RunAtSysTray=True\n");
        bool confirmed = false;
        whenOpen<MessageFontDialog>([&](MessageFontDialog* d) {
            d->cboFace->setEditText("DejaVu Serif");
            d->txtSize->setValue(12.5);
            d->chkBold->setChecked(true);
            d->chkItalic->setChecked(true);
            d->chkStrikeout->setChecked(true);
            d->chkUnderline->setChecked(true);
            d->setShownColor(QColor(0x12, 0x34, 0x56));
            d->buttons->button(QDialogButtonBox::Ok)->click();
            confirmed = true;
        });
        w.click(w.page()->picFont);
        QVERIFY(confirmed);
        w.frm->showCycle->cmdStart_Click();
        QVERIFY(w.frm->showCycle->isShowing());
    }
    w.frm->Unload();
    QCOMPARE(readFile(w.ini), after);
    QVERIFY(w.prompt.shown.isEmpty());
}

void TestSettingsPage::failuresAreToldByTheWindow_data()
{
    QTest::addColumn<QString>("fails");
    QTest::addColumn<QString>("told"); // the box's text
    QTest::newRow("log-on entry") << "entry"
                                  << "Error 5 opening key\r\n";
    QTest::newRow("tray box") << "tray"
                              << "The settings could not be saved to the file \"%1\".\n"
                                 "No space left on device";
}

// The settings code says what failed; the main window shows it, as it always has.
void TestSettingsPage::failuresAreToldByTheWindow()
{
    QFETCH(QString, fails);
    QFETCH(QString, told);
    const QByteArray before = "[Settings]\nAutoDisplay=False\n";
    Window w(before);
    QVERIFY(w.frm->Form_Load({}));
    w.frm->ShowPage(w.page());
    if (fails == "entry") {
        writeFile(w.dir.filePath("config/autostart"), "a file where the folder should be");
        w.click(w.page()->optRun);
        QCOMPARE(w.prompt.shown.size(), 1);
        QCOMPARE(w.prompt.shown[0].text, told);
        QCOMPARE(w.prompt.shown[0].icon, Prompt::Icon::None);
        // The choice is on the page all the same, as it was.
        QVERIFY(w.page()->optRun->isChecked());
        QVERIFY(w.page()->chkSysTray->isEnabled());
    } else {
        w.click(w.page()->optRun);
        AtomicWrite::failAtForTests(AtomicWrite::Step::Commit);
        w.click(w.page()->chkSysTray);
        w.click(w.page()->chkSysTray);
        AtomicWrite::failAtForTests(AtomicWrite::Step::None);
        QCOMPARE(readFile(w.ini), before);
        QCOMPARE(w.prompt.shown.size(), 1); // once a run
        QCOMPARE(w.prompt.shown[0].text, told.arg(QDir::toNativeSeparators(w.ini)));
        QCOMPARE(w.prompt.shown[0].icon, Prompt::Icon::Critical);
    }
    QCOMPARE(w.prompt.shown[0].buttons, Prompt::Buttons::Ok);
}

QTEST_MAIN(TestSettingsPage)
#include "tst_settingspage.moc"

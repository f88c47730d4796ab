// One gesture, one action, on the page the user sees: a double-click on any picture of the
// main window does what one click does, and keys never act on a page that is not in front.
// Pointer and keys go through the window system interface, as a real user's would.
#include "RecordingPrompt.h"
#include "TestFiles.h"
#include "core/AppFolder.h"
#include "core/Browser.h"
#include "core/Prompt.h"
#include "display/ShowCycle.h"
#include "settings/MessageFontDialog.h"
#include "settings/SettingsStore.h"
#include "ui/AboutPage.h"
#include "ui/FrmAll.h"
#include "ui/GoalSlot.h"
#include "ui/GoalsPage.h"
#include "ui/ImageButton.h"
#include "ui/ProgramsPage.h"
#include "ui/SettingsPage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace TestFiles;

namespace {

using Disk = QMap<QString, QByteArray>;

struct RecordingBrowser : Browser
{
    QStringList opened;
    bool openUrl(const QUrl& url) override
    {
        opened.append(url.toString());
        return true;
    }
};

// `before` with the files of `written` replaced ("<missing>": removed).
Disk applied(Disk before, const Disk& written)
{
    for (auto it = written.cbegin(); it != written.cend(); ++it) {
        if (it.value() == "<missing>")
            before.remove(it.key());
        else
            before.insert(it.key(), it.value());
    }
    return before;
}

// Counts every run of a command of the window: the triggers of its actions (access keys
// included) and the presses of its buttons.
QList<std::shared_ptr<QSignalSpy>> commandSpies(QWidget* window)
{
    QList<std::shared_ptr<QSignalSpy>> spies;
    for (QAction* a : window->findChildren<QAction*>())
        spies.append(std::make_shared<QSignalSpy>(a, &QAction::triggered));
    for (QPushButton* b : window->findChildren<QPushButton*>())
        spies.append(std::make_shared<QSignalSpy>(b, &QAbstractButton::pressed));
    return spies;
}

// The application folder's part: the library and the goals.
Disk library(Disk files)
{
    files.removeIf([](const auto& f) { return !f.key().startsWith("app/"); });
    return files;
}

// Counts the openings of the font dialog and cancels each one from inside its own loop.
class FontDialogCloser : public QObject
{
public:
    int openings = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            ++openings;
            QMetaObject::invokeMethod(static_cast<QDialog*>(watched), &QDialog::reject,
                                      Qt::QueuedConnection);
        }
        return false;
    }
};

// A main window on a small library of its own: programs A (a0, a1) and B (b0), both ticked,
// and two goals.
struct Session
{
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<FrmAll> frm;
    FontDialogCloser fontCloser;

    QString app() const { return dir.filePath("app"); }
    Disk files() const { return snapshot(dir.path()); }

    bool open()
    {
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
        writeFile(app() + "/plugins/A.txt", rec("a0") + rec("a1"));
        writeFile(app() + "/plugins/B.txt", rec("b0"));
        writeFile(app() + "/FileNames.txt", rec("A") + rec("B"));
        writeFile(app() + "/goal1.txt", "old goal 1\r\n");
        writeFile(app() + "/goal2.txt", "old goal 2\r\n");
        AppFolder::setOverride(app());
        store = SettingsStore::atIniFile(dir.filePath("config/zentrivo/zentrivo.ini"));
        if (!store->SaveSetting("Settings", "AutoDisplay", "False").ok())
            return false;
        frm = std::make_unique<FrmAll>(*store);
        if (!frm->Form_Load({}))
            return false;
        frm->fontDialog()->installEventFilter(&fontCloser);
        QApplication::setActiveWindow(frm.get());
        return QTest::qWaitForWindowActive(frm.get());
    }

    template <typename T> T* child(QWidget* in, const char* name) const
    {
        T* w = in->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QLineEdit* nameBox() const { return child<QLineEdit>(frm->programsPage, "txtNewFileName"); }
    QLineEdit* editBox() const { return child<QLineEdit>(frm->programsPage, "txtEditText"); }

    ImageButton* button(const QString& name) const
    {
        const QHash<QString, ImageButton*> elsewhere{
            {"picPrograms2", frm->picPrograms2},
            {"picGoals", frm->picGoals},
            {"picSettings", frm->picSettings},
            {"picHelp", frm->picHelp},
            {"picExit1", frm->picExit1},
            {"picStart", frm->picStart},
            {"picOK", frm->picAbout->picOK},
            {"picStart1", frm->programsPage->picStart1()},
            {"picStartInSettings", frm->settingsPage->picStartInSettings},
            {"picFont", frm->settingsPage->picFont},
            {"picSave1", frm->goalsPage->picGoal1->picSave},
            {"picSave2", frm->goalsPage->picGoal2->picSave},
        };
        if (ImageButton* b = elsewhere.value(name))
            return b;
        return child<ImageButton>(frm->programsPage, qPrintable(name)); // the panels' buttons
    }

    // Near the left end of the button, halfway down.
    void click(const QString& name, bool twice) const
    {
        ImageButton* b = button(name);
        const QPoint at = b->mapTo(frm.get(), QPoint(10, b->height() / 2));
        QWindow* w = frm->windowHandle();
        QTest::mouseMove(w, at);
        if (twice)
            QTest::mouseDClick(w, Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(w, Qt::LeftButton, {}, at);
    }

    void showPage(const QString& page) const
    {
        if (page == "programs")
            click("picPrograms2", false);
        else if (page == "goals")
            click("picGoals", false);
        else if (page == "settings")
            click("picSettings", false);
        else
            frm->mnuAbout->trigger();
    }

    QWidget* page(const QString& name) const
    {
        if (name == "programs")
            return frm->programsPage;
        if (name == "goals")
            return frm->goalsPage;
        if (name == "settings")
            return frm->settingsPage;
        return frm->picAbout;
    }

    void key(int key, Qt::KeyboardModifiers modifiers = {}) const
    {
        QTest::keyClick(frm->windowHandle(), Qt::Key(key), modifiers);
    }
};

// What a user or the disk can tell after a gesture.
struct Effect
{
    Disk files;
    QStringList prompts;
    QStringList opened;
    int fontOpenings = 0;
    bool showing = false;
    bool onScreen = false;
    QString front;
};

} // namespace

class TestGestures : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void doubleClickActsOnce_data();
    void doubleClickActsOnce();
    void keysGoToThePageInFront_data();
    void keysGoToThePageInFront();
    void tabStaysOnThePageInFront_data();
    void tabStaysOnThePageInFront();
    void commandKeysByPage_data();
    void commandKeysByPage();
    void heldCommandKeyActsOnce_data();
    void heldCommandKeyActsOnce();

private:
    Effect run(const QStringList& pages, bool showing, const QString& button, bool twice,
               Disk* before);

    RecordingPrompt m_prompt;
    RecordingBrowser m_browser;
};

void TestGestures::initTestCase()
{
    Prompt::set(&m_prompt);
    Browser::set(&m_browser);
    AppFolder::setBaseNameOverride("zentrivo");
}

void TestGestures::init()
{
    m_prompt.shown.clear();
    m_prompt.answers.clear();
    m_browser.opened.clear();
}

void TestGestures::cleanup()
{
    AppFolder::setOverride({});
}

void TestGestures::doubleClickActsOnce_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("pages"); // shown in this order before the gesture
    QTest::addColumn<bool>("showing");
    QTest::addColumn<Disk>("written"); // library files one click writes

    const QStringList programs{"programs"};
    const QStringList goals{"goals"};
    const QStringList settings{"settings"};
    const Disk none;

    QTest::newRow("toolbar Programs") << "picPrograms2" << goals << false << none;
    QTest::newRow("toolbar Goals") << "picGoals" << programs << false << none;
    QTest::newRow("toolbar Settings") << "picSettings" << programs << false << none;
    QTest::newRow("toolbar Help") << "picHelp" << programs << false << none;
    QTest::newRow("toolbar Exit, answered No") << "picExit1" << programs << true << none;
    QTest::newRow("stop picture under the pages") << "picStart" << programs << true << none;
    QTest::newRow("stop picture of the Programs page") << "picStart1" << programs << true << none;
    QTest::newRow("stop picture of the settings page")
        << "picStartInSettings" << settings << true << none;
    // The left end of OK lies over the start picture of the page behind the About page.
    QTest::newRow("About's OK over the Programs page")
        << "picOK" << QStringList{"programs", "about"} << false << none;
    QTest::newRow("About's OK over the settings page")
        << "picOK" << QStringList{"settings", "about"} << false << none;
    QTest::newRow("Create") << "picCreateFile" << programs << false
                            << Disk{{"app/plugins/Walk.txt", ""},
                                    {"app/FileNames.txt", rec("A") + rec("B") + rec("Walk")}};
    QTest::newRow("Delete program")
        << "picDeleteFile" << programs << false
        << Disk{{"app/plugins/A.txt", "<missing>"}, {"app/FileNames.txt", rec("B")}};
    QTest::newRow("Add New") << "picAddNew" << programs << false
                             << Disk{{"app/plugins/A.txt", rec("a0") + rec("a1") + rec("new")}};
    QTest::newRow("Edit") << "picUpdate" << programs << false
                          << Disk{{"app/plugins/A.txt", rec("new") + rec("a1")}};
    QTest::newRow("Delete message")
        << "picDeleteText" << programs << false << Disk{{"app/plugins/A.txt", rec("a1")}};
    QTest::newRow("Font") << "picFont" << settings << false << none;
    QTest::newRow("Save goal 1") << "picSave1" << goals << false
                                 << Disk{{"app/goal1.txt", "first\r\n"}};
    QTest::newRow("Save goal 2") << "picSave2" << goals << false
                                 << Disk{{"app/goal2.txt", "second\r\n"}};
}

Effect TestGestures::run(const QStringList& pages, bool showing, const QString& button, bool twice,
                         Disk* before)
{
    Effect out;
    Session s;
    if (!s.open()) {
        qWarning("the main window did not open");
        return out;
    }
    if (showing) {
        s.frm->showCycle->cmdStart_Click();
        s.frm->mnuPop_Click();
    }
    // The message a0 of program A is selected; the boxes hold what the commands would use.
    s.nameBox()->setText("Walk");
    s.editBox()->setText("new");
    s.frm->goalsPage->picGoal1->txtGoalDesc->setPlainText("first");
    s.frm->goalsPage->picGoal2->txtGoalDesc->setPlainText("second");
    for (const QString& p : pages)
        s.showPage(p);
    m_prompt.shown.clear();
    m_browser.opened.clear();
    *before = s.files();

    s.click(button, twice);

    out.files = s.files();
    for (const auto& shown : m_prompt.shown)
        out.prompts << shown.text;
    out.opened = m_browser.opened;
    out.fontOpenings = s.fontCloser.openings;
    out.showing = s.frm->showCycle->isShowing();
    out.onScreen = s.frm->isVisible() && !s.frm->isMinimized();
    out.front = s.frm->frontPage()->objectName();
    if (out.showing)
        s.frm->showCycle->cmdStart_Click(); // no show left running past the session
    return out;
}

void TestGestures::doubleClickActsOnce()
{
    QFETCH(QString, button);
    QFETCH(QStringList, pages);
    QFETCH(bool, showing);
    QFETCH(Disk, written);

    Disk before;
    const Effect once = run(pages, showing, button, false, &before);
    QCOMPARE(library(once.files), library(applied(before, written)));

    const Effect twice = run(pages, showing, button, true, &before);
    QCOMPARE(twice.files, once.files);
    QCOMPARE(twice.prompts, once.prompts);
    QCOMPARE(twice.opened, once.opened);
    QCOMPARE(twice.fontOpenings, once.fontOpenings);
    QCOMPARE(twice.showing, once.showing);
    QCOMPARE(twice.onScreen, once.onScreen);
    QCOMPARE(twice.front, once.front);
}

void TestGestures::keysGoToThePageInFront_data()
{
    QTest::addColumn<QString>("from");    // the page the user worked on
    QTest::addColumn<QString>("control"); // where the focus was there
    QTest::addColumn<QString>("to");      // the page brought to the front
    QTest::addColumn<QList<int>>("keys");

    const QList<int> space{Qt::Key_Space};
    QTest::newRow("message list, then goals: Space") << "programs"
                                                     << "lvwDisplay"
                                                     << "goals" << space;
    QTest::newRow("program list, then settings: Space") << "programs"
                                                        << "lvwDisplayFiles"
                                                        << "settings" << space;
    QTest::newRow("program list, then goals: a letter, Space")
        << "programs"
        << "lvwDisplayFiles"
        << "goals" << QList<int>{Qt::Key_B, Qt::Key_Space};
    QTest::newRow("message list, then About: Down, Space")
        << "programs"
        << "lvwDisplay"
        << "about" << QList<int>{Qt::Key_Down, Qt::Key_Space};
    QTest::newRow("interval list, then Programs: Down") << "settings"
                                                        << "cboDispInterval"
                                                        << "programs" << QList<int>{Qt::Key_Down};
    QTest::newRow("goal text, then Programs: letters")
        << "goals"
        << "txtGoalDesc1"
        << "programs" << QList<int>{Qt::Key_X, Qt::Key_Y};
    QTest::newRow("goal text, then settings: letters")
        << "goals"
        << "txtGoalDesc1"
        << "settings" << QList<int>{Qt::Key_X, Qt::Key_Y};
}

void TestGestures::keysGoToThePageInFront()
{
    QFETCH(QString, from);
    QFETCH(QString, control);
    QFETCH(QString, to);
    QFETCH(QList<int>, keys);

    Session s;
    QVERIFY(s.open());
    s.showPage(from);
    QWidget* worked = control == "cboDispInterval"
                          ? s.frm->settingsPage->cboDispInterval
                          : s.child<QWidget>(s.page(from), qPrintable(control));
    if (control == "txtGoalDesc1") {
        // Ticking the slot unlocks its text and puts the focus there.
        s.frm->goalsPage->picGoal1->Check->click();
        QTest::keyClicks(worked, "goal");
    } else {
        worked->setFocus(Qt::MouseFocusReason);
    }
    QCOMPARE(s.frm->focusWidget(), worked);
    const Disk before = s.files();
    const int interval = s.frm->settings.DispInterval;
    const QString goal = s.frm->goalsPage->picGoal1->txtGoalDesc->toPlainText();

    s.showPage(to);
    QWidget* front = s.page(to);
    QCOMPARE(s.frm->frontPage(), front);
    for (const int k : keys)
        s.key(k);

    // Nothing on the page the user left has changed, and the focus is on the page in front.
    QCOMPARE(s.files(), before);
    QCOMPARE(s.frm->settings.DispInterval, interval);
    QCOMPARE(s.frm->goalsPage->picGoal1->txtGoalDesc->toPlainText(), goal);
    QCOMPARE(m_prompt.shown.size(), 0);
    QWidget* focus = s.frm->focusWidget();
    QVERIFY2(focus && (focus == front || front->isAncestorOf(focus)),
             qPrintable(focus ? focus->objectName() : QStringLiteral("no focus")));

    // Back on the page, the focus is where the user left it.
    s.showPage(from);
    QCOMPARE(s.frm->focusWidget(), worked);
}

void TestGestures::tabStaysOnThePageInFront_data()
{
    QTest::addColumn<QString>("page");
    for (const char* page : {"programs", "goals", "settings", "about"})
        QTest::newRow(page) << page;
}

void TestGestures::tabStaysOnThePageInFront()
{
    QFETCH(QString, page);
    Session s;
    QVERIFY(s.open());
    s.frm->goalsPage->picGoal1->Check->setChecked(true); // a goal text that takes the focus
    s.showPage(page);
    QWidget* front = s.page(page);
    // Around the whole window, forwards and backwards.
    const int stops = int(s.frm->findChildren<QWidget*>().size());
    for (const auto modifiers : {Qt::NoModifier, Qt::ShiftModifier}) {
        for (int i = 0; i < stops; ++i) {
            s.key(modifiers == Qt::ShiftModifier ? Qt::Key_Backtab : Qt::Key_Tab, modifiers);
            QWidget* focus = s.frm->focusWidget();
            for (QWidget* other :
                 {s.page("programs"), s.page("goals"), s.page("settings"), s.page("about")}) {
                if (other != front)
                    QVERIFY2(!other->isAncestorOf(focus), qPrintable(focus->objectName()));
            }
        }
    }
}

void TestGestures::commandKeysByPage_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("editBox");
    QTest::addColumn<Disk>("written"); // when the key acts; Alt+X ends the program instead
    QTest::addColumn<bool>("acts");

    struct Command
    {
        const char* name;
        int key;
        const char* home; // empty: works on every page
        const char* editBox;
        Disk written;
    };
    const QList<Command> commands{
        {"Alt+C Create", Qt::Key_C, "programs", "new",
         Disk{{"app/plugins/Walk.txt", ""},
              {"app/FileNames.txt", rec("A") + rec("B") + rec("Walk")}}},
        // With an empty edit box Edit is disabled and the key belongs to Delete alone.
        {"Alt+D Delete program", Qt::Key_D, "programs", "",
         Disk{{"app/plugins/A.txt", "<missing>"}, {"app/FileNames.txt", rec("B")}}},
        {"Alt+A Add New", Qt::Key_A, "programs", "new",
         Disk{{"app/plugins/A.txt", rec("a0") + rec("a1") + rec("new")}}},
        {"Alt+E Delete message", Qt::Key_E, "programs", "new",
         Disk{{"app/plugins/A.txt", rec("a1")}}},
        {"Alt+S Save goal", Qt::Key_S, "goals", "new", Disk{{"app/goal1.txt", "first\r\n"}}},
        {"Alt+X Exit", Qt::Key_X, "", "new", Disk{}},
    };
    for (const Command& c : commands) {
        for (const char* page : {"programs", "goals", "settings", "about"}) {
            const bool acts = !*c.home || qstrcmp(c.home, page) == 0;
            QTest::addRow("%s on the %s page", c.name, page)
                << c.key << page << c.editBox << c.written << acts;
        }
    }
}

void TestGestures::commandKeysByPage()
{
    QFETCH(int, key);
    QFETCH(QString, page);
    QFETCH(QString, editBox);
    QFETCH(Disk, written);
    QFETCH(bool, acts);

    Session s;
    QVERIFY(s.open());
    // Message a0 of program A is selected; the boxes hold what the commands would use.
    s.nameBox()->setText("Walk");
    s.editBox()->setText(editBox);
    s.frm->goalsPage->picGoal1->txtGoalDesc->setPlainText("first");
    s.showPage(page);
    const Disk before = s.files();
    const QList<std::shared_ptr<QSignalSpy>> presses = commandSpies(s.frm.get());

    s.key(key, Qt::AltModifier);

    if (key == Qt::Key_X) {
        QTRY_VERIFY(s.frm->isUnloaded());
        return;
    }
    if (acts) {
        QTRY_COMPARE(library(s.files()), library(applied(before, written)));
    } else {
        // No command ran.
        for (const auto& spy : std::as_const(presses))
            QCOMPARE(spy->size(), 0);
        QCOMPARE(s.files(), before);
        QVERIFY(!s.frm->isUnloaded());
    }
    QCOMPARE(m_prompt.shown.size(), 0);
}

void TestGestures::heldCommandKeyActsOnce_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("editBox");
    QTest::addColumn<Disk>("written");

    QTest::newRow("Alt+E Delete message")
        << int(Qt::Key_E) << "new" << Disk{{"app/plugins/A.txt", rec("a1")}};
    QTest::newRow("Alt+D Delete program")
        << int(Qt::Key_D) << ""
        << Disk{{"app/plugins/A.txt", "<missing>"}, {"app/FileNames.txt", rec("B")}};
}

void TestGestures::heldCommandKeyActsOnce()
{
    QFETCH(int, key);
    QFETCH(QString, editBox);
    QFETCH(Disk, written);

    Session s;
    QVERIFY(s.open());
    s.editBox()->setText(editBox);
    s.editBox()->setFocus(); // where the user typed
    const Disk expected = library(applied(s.files(), written));
    QWindow* w = s.frm->windowHandle();
    QTest::keyPress(w, Qt::Key(key), Qt::AltModifier);
    QTRY_COMPARE(library(s.files()), expected);

    // Still held, the key comes again and again from the keyboard's repeat.
    const QList<std::shared_ptr<QSignalSpy>> presses = commandSpies(s.frm.get());
    const QString letter = QKeySequence(key).toString().toLower();
    for (int i = 0; i < 3; ++i)
        QTest::simulateEvent(w, true, key, Qt::AltModifier, letter, true);
    QTest::keyRelease(w, Qt::Key(key), Qt::AltModifier);
    for (const auto& spy : std::as_const(presses))
        QCOMPARE(spy->size(), 0);
    QCOMPARE(library(s.files()), expected);
    QCOMPARE(s.editBox()->text(), QString()); // emptied by the command, and nothing typed
}

QTEST_MAIN(TestGestures)
#include "tst_gestures.moc"

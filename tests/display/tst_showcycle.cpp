#include "TestFiles.h"
#include "core/Screen.h"
#include "display/FrmDisp.h"
#include "display/MessagePool.h"
#include "display/Placement.h"
#include "display/RandomSource.h"
#include "display/ShowCycle.h"
#include "settings/DisplaySettings.h"
#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <algorithm>
#include <memory>

using namespace TestFiles;

namespace {

const Files kAbc{{"FileNames.txt", "\"p\",#TRUE#\r\n"},
                 {"plugins/p.txt", "\"a\",#TRUE#\r\n\"b\",#TRUE#\r\n\"c\",#TRUE#\r\n"}};

class FakeScreen : public Screen
{
public:
    QSize screen{1280, 960};
    QSize size() const override { return screen; }
};

// Hands out the values a test chose, in order; counts draws past the end.
class ScriptedRandom : public RandomSource
{
public:
    QList<double> values;
    int overdrawn = 0;
    double next() override
    {
        if (values.isEmpty()) {
            ++overdrawn;
            return 0.0;
        }
        return values.takeFirst();
    }
};

// The show over a temporary application folder, with what it tells the main window written
// down in order: "save" (store the settings now), "on" and "off" (the show state changed) and
// "away" (make way for the messages).
struct Rig
{
    QTemporaryDir dir;
    DisplaySettings settings;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<ShowCycle> cycle;
    QStringList told;

    explicit Rig(const Files& files)
    {
        writeFiles(dir.path(), files);
        store = SettingsStore::atIniFile(dir.filePath("settings.ini"));
        settings.RandomMessage = 1;  // "As Written"
        settings.RandomLocation = 1; // "Centre of the Screen"
        cycle = std::make_unique<ShowCycle>(settings, *store, dir.path());
        QObject::connect(cycle.get(), &ShowCycle::aboutToToggle, [this] { told << "save"; });
        QObject::connect(cycle.get(), &ShowCycle::showingChanged, [this](bool on) {
            QCOMPARE(cycle->isShowing(), on);
            told << (on ? "on" : "off");
        });
        QObject::connect(cycle.get(), &ShowCycle::startPressed, [this] { told << "away"; });
    }
    ~Rig()
    {
        if (cycle)
            delete cycle->displayWindow();
        cycle.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The press of a start control, and the gathering of the messages it began.
    void start()
    {
        cycle->cmdStart_Click();
        waitForPool();
    }
    void waitForPool()
    {
        if (!cycle->isGathering())
            return;
        QSignalSpy ready(cycle.get(), &ShowCycle::poolReady);
        QVERIFY(ready.wait(60000));
    }
    // Every gathering begun, also one a stop left behind, has ended and been heard of.
    static void settle()
    {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Whether a message is on the screen.
    bool visible() const
    {
        FrmDisp* w = cycle->displayWindow();
        return w && w->isVisible();
    }
    // One beat; the text it put on the screen, or nothing. A beat before the messages are
    // in shows once they are.
    QString beat()
    {
        cycle->Timer1_Timer();
        waitForPool();
        return visible() ? cycle->displayWindow()->LblDisp()->text() : QString();
    }
    // The duration clock of the visible message fires.
    void endMessage()
    {
        if (visible())
            cycle->displayWindow()->Timer1_Timer();
    }
};
} // namespace

class TestShowCycle : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void asWrittenCyclesAndResumesAfterAStop();
    void rebuiltPoolShowsOnlyWhatIsTicked();
    void beatBeforeTheMessagesAreInShowsOnceTheyAre();
    void stopWhileGatheringDropsWhatWasGathered();
    void startStopStartGathersTheNewestFiles();
    void randomChoice_data();
    void randomChoice();
    void randomDrawsMessageThenVerticalThenHorizontal();
    void intervals_data();
    void intervals();
    void durations_data();
    void durations();
    void cycleIsIntervalThenDuration();
    void stopWhileVisibleRemovesItAndNoBeatFollows();
    void startWithoutSelectionList();
    void eachPressSavesTheStateBeforeIt();
    void stopHonoursStoredShowState_data();
    void stopHonoursStoredShowState();
    void emptyPoolShowsNothing();
    void messageInWholeFontCentredAndFitted();
    void markupIsShownAsWritten();
    void messageGoesAfterTheMainWindowIsGone();
    void oneWindowStartsEveryMessageFromItsDesign();
    void messageLargerThanTheScreenIsCut_data();
    void messageLargerThanTheScreenIsCut();
    void flashedTextIsTheWholeMessageCut_data();
    void flashedTextIsTheWholeMessageCut();

private:
    FakeScreen m_screen;
    ScriptedRandom m_random;
};

void TestShowCycle::init()
{
    Screen::set(&m_screen);
    m_random.values.clear();
    m_random.overdrawn = 0;
    RandomSource::set(&m_random);
}

void TestShowCycle::cleanup()
{
    RandomSource::set(nullptr);
    Screen::set(nullptr);
}

void TestShowCycle::asWrittenCyclesAndResumesAfterAStop()
{
    Rig rig(kAbc);
    rig.cycle->cmdStart_Click();
    QVERIFY(rig.cycle->isShowing());
    QStringList shown;
    for (int i = 0; i < 6; ++i) {
        shown << rig.beat();
        rig.endMessage();
    }
    QCOMPARE(shown, (QStringList{"a", "b", "c", "a", "b", "c"}));

    QCOMPARE(rig.beat(), "a");
    rig.endMessage();
    QCOMPARE(rig.beat(), "b");
    rig.cycle->cmdStart_Click();
    QVERIFY(!rig.cycle->isShowing());
    rig.cycle->cmdStart_Click();
    QCOMPARE(rig.beat(), "c");
    QCOMPARE(m_random.overdrawn, 0);
}

void TestShowCycle::rebuiltPoolShowsOnlyWhatIsTicked()
{
    Rig rig(kAbc);
    rig.cycle->cmdStart_Click();
    QCOMPARE(rig.beat(), "a");
    rig.endMessage();
    QCOMPARE(rig.beat(), "b");
    rig.cycle->cmdStart_Click(); // stop, with "c" next

    writeFiles(rig.dir.path(), {{"plugins/p.txt", "\"a\",#TRUE#\r\n\"b\",#FALSE#\r\n"}});
    rig.start();
    QCOMPARE(rig.cycle->pool().messages(), QStringList{"a"});
    QCOMPARE(rig.cycle->NextMessageIndex(), 0);
    QCOMPARE(rig.beat(), "a");
}

void TestShowCycle::beatBeforeTheMessagesAreInShowsOnceTheyAre()
{
    Rig rig(kAbc);
    QSignalSpy ready(rig.cycle.get(), &ShowCycle::poolReady);
    rig.cycle->cmdStart_Click();
    QVERIFY(rig.cycle->isGathering());
    QCOMPARE(rig.told, (QStringList{"save", "on", "away"}));
    rig.cycle->Timer1_Timer();
    QVERIFY(!rig.cycle->displayWindow());

    QVERIFY(ready.wait(60000));
    FrmDisp* w = rig.cycle->displayWindow();
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->LblDisp()->text(), "a");
    QVERIFY(!rig.cycle->pacingClock().isActive());
    rig.endMessage();
    QVERIFY(rig.cycle->pacingClock().isActive());
    QCOMPARE(rig.beat(), "b");
}

void TestShowCycle::stopWhileGatheringDropsWhatWasGathered()
{
    Rig rig(kAbc);
    QSignalSpy ready(rig.cycle.get(), &ShowCycle::poolReady);
    rig.cycle->cmdStart_Click();
    rig.cycle->Timer1_Timer(); // waits for the messages
    rig.cycle->cmdStart_Click();
    QVERIFY(!rig.cycle->isShowing());
    QVERIFY(!rig.cycle->isGathering());

    Rig::settle();
    QCOMPARE(ready.count(), 0);
    QVERIFY(rig.cycle->pool().isEmpty());
    QVERIFY(!rig.cycle->displayWindow());
    QVERIFY(!rig.cycle->pacingClock().isActive());
    QCOMPARE(rig.told, (QStringList{"save", "on", "away", "save", "off"}));
}

void TestShowCycle::startStopStartGathersTheNewestFiles()
{
    Rig rig(kAbc);
    rig.cycle->cmdStart_Click();
    rig.cycle->cmdStart_Click();
    writeFiles(rig.dir.path(),
               {{"FileNames.txt", "\"q\",#TRUE#\r\n"}, {"plugins/q.txt", "\"new\",#TRUE#\r\n"}});
    QSignalSpy ready(rig.cycle.get(), &ShowCycle::poolReady);
    rig.cycle->cmdStart_Click();
    Rig::settle();
    QCOMPARE(ready.count(), 1);
    QCOMPARE(rig.cycle->pool().messages(), QStringList{"new"});
    QCOMPARE(rig.beat(), "new");
}

void TestShowCycle::randomChoice_data()
{
    QTest::addColumn<QByteArray>("program");
    QTest::addColumn<double>("r");
    QTest::addColumn<QString>("text");

    const QByteArray two = "\"first\",#TRUE#\r\n\"second\",#TRUE#\r\n";
    const QByteArray three = "\"x0\",#TRUE#\r\n\"x1\",#TRUE#\r\n\"x2\",#TRUE#\r\n";
    QTest::newRow("two, 0.5") << two << 0.5 << "first";
    QTest::newRow("two, 0.51") << two << 0.51 << "second";
    QTest::newRow("three, 0.7") << three << 0.7 << "x1";
    QTest::newRow("three, 0.75") << three << 0.75 << "x2";
}

void TestShowCycle::randomChoice()
{
    QFETCH(QByteArray, program);
    QFETCH(double, r);
    QFETCH(QString, text);

    Rig rig(Files{{"FileNames.txt", "\"p\",#TRUE#\r\n"}, {"plugins/p.txt", program}});
    rig.settings.RandomMessage = 0;
    rig.cycle->cmdStart_Click();
    m_random.values = {r};
    QCOMPARE(rig.beat(), text);
    QCOMPARE(m_random.overdrawn, 0);
}

void TestShowCycle::randomDrawsMessageThenVerticalThenHorizontal()
{
    Rig rig(kAbc);
    rig.settings.RandomMessage = 0;
    rig.settings.RandomLocation = 0;
    rig.cycle->cmdStart_Click();
    m_random.values = {0.75, 0.5, 0.25};
    QCOMPARE(rig.beat(), "c");
    // top 0.5 x (960 - 29) = 465.5 -> 466, left 0.25 x (1280 - 219) = 265.25 -> 265
    QCOMPARE(rig.cycle->displayWindow()->pos(), QPoint(265, 466));
    QCOMPARE(m_random.overdrawn, 0);
}

void TestShowCycle::intervals_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("ms");
    for (int i = 0; i < IntervalChoices::count; ++i)
        QTest::addRow("%d s", IntervalChoices::seconds(i))
            << i << IntervalChoices::seconds(i) * 1000;
}

void TestShowCycle::intervals()
{
    QFETCH(int, index);
    QFETCH(int, ms);
    Rig rig(kAbc);
    rig.settings.DispInterval = index;
    rig.cycle->cmdStart_Click();
    QCOMPARE(rig.cycle->pacingClock().interval(), ms);
    QVERIFY(rig.cycle->pacingClock().isActive());
    QCOMPARE(rig.cycle->pacingClock().timerType(), Qt::PreciseTimer);
}

void TestShowCycle::durations_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("ms");
    const QList<int> expected{20, 40, 60, 80, 100, 125, 150, 200};
    for (int i = 0; i < expected.size(); ++i)
        QTest::addRow("%d ms", expected[i]) << i << expected[i];
}

void TestShowCycle::durations()
{
    QFETCH(int, index);
    QFETCH(int, ms);
    Rig rig(kAbc);
    rig.settings.DispDuration = index;
    rig.cycle->cmdStart_Click();
    rig.beat();
    QCOMPARE(rig.cycle->displayWindow()->duration(), ms);
    QTimer& duration = rig.cycle->displayWindow()->durationClock();
    // Set within the duration's last millisecond, the rest waited out when it fires.
    QVERIFY(duration.interval() <= ms && duration.interval() >= ms - 1);
    QVERIFY(duration.isActive());
    QVERIFY(duration.isSingleShot());
    QCOMPARE(duration.timerType(), Qt::PreciseTimer);
}

void TestShowCycle::cycleIsIntervalThenDuration()
{
    Rig rig(kAbc);
    rig.cycle->cmdStart_Click();
    QTimer& pacing = rig.cycle->pacingClock();
    QVERIFY(pacing.isActive());
    QVERIFY(!rig.visible());

    QCOMPARE(rig.beat(), "a");
    // The two clocks never run together.
    QVERIFY(!pacing.isActive());
    QVERIFY(rig.cycle->displayWindow()->durationClock().isActive());

    rig.endMessage();
    QVERIFY(!rig.visible());
    QVERIFY(!rig.cycle->displayWindow()->durationClock().isActive());
    QVERIFY(pacing.isActive());
    QCOMPARE(pacing.interval(), 5000);
}

void TestShowCycle::stopWhileVisibleRemovesItAndNoBeatFollows()
{
    Rig rig(kAbc);
    rig.cycle->cmdStart_Click();
    QCOMPARE(rig.beat(), "a");
    FrmDisp* shown = rig.cycle->displayWindow();
    QSignalSpy ended(shown, &FrmDisp::messageEnded);

    rig.cycle->cmdStart_Click();
    QVERIFY(!shown->isVisible());
    const QWidgetList windows = QApplication::topLevelWidgets();
    QVERIFY(std::none_of(windows.begin(), windows.end(),
                         [](QWidget* w) { return qobject_cast<FrmDisp*>(w) && w->isVisible(); }));
    // Its duration never ends: nothing is announced and nothing restarts the pause.
    QVERIFY(!shown->durationClock().isActive());
    QCOMPARE(ended.size(), 0);
    QVERIFY(!rig.cycle->pacingClock().isActive());
    QVERIFY(!rig.settings.AutoDisplay);
    // Stopping leaves the main window where it is.
    QCOMPARE(rig.told, (QStringList{"save", "on", "away", "save", "off"}));
}

void TestShowCycle::startWithoutSelectionList()
{
    Rig rig(Files{{"plugins/p.txt", "\"a\",#TRUE#\r\n"}});
    rig.cycle->cmdNext_Click();
    // The show stays off, and the main window makes way all the same.
    QVERIFY(!rig.cycle->isShowing());
    QCOMPARE(rig.told, (QStringList{"save", "away"}));
    QVERIFY(!rig.cycle->pacingClock().isActive());

    writeFiles(rig.dir.path(), {{"FileNames.txt", "\"p\",#TRUE#\r\n"}});
    rig.cycle->cmdNext_Click();
    QVERIFY(rig.cycle->isShowing());
    QCOMPARE(rig.told, (QStringList{"save", "away", "save", "on", "away"}));
}

void TestShowCycle::eachPressSavesTheStateBeforeIt()
{
    Rig rig(kAbc);
    QObject::connect(rig.cycle.get(), &ShowCycle::aboutToToggle,
                     [&] { QVERIFY(StoredSettings::save(*rig.store, rig.settings).ok()); });
    const auto stored = [&] {
        return rig.store->GetSetting(StoredSettings::kSection, "AutoDisplay");
    };
    rig.cycle->cmdStart_Click();
    QCOMPARE(stored(), "False");
    QVERIFY(rig.settings.AutoDisplay);
    rig.cycle->cmdStart_Click();
    QCOMPARE(stored(), "True");
    QVERIFY(!rig.settings.AutoDisplay);
}

void TestShowCycle::stopHonoursStoredShowState_data()
{
    QTest::addColumn<QString>("stored"); // empty: absent
    QTest::addColumn<bool>("stops");
    QTest::newRow("True") << "True" << true;
    QTest::newRow("absent") << "" << true;
    QTest::newRow("not a boolean") << "x" << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("0") << "0" << false;
}

void TestShowCycle::stopHonoursStoredShowState()
{
    QFETCH(QString, stored);
    QFETCH(bool, stops);
    Rig rig(kAbc);
    rig.cycle->cmdStart_Click();
    if (!stored.isEmpty())
        QVERIFY(rig.store->SaveSetting(StoredSettings::kSection, "AutoDisplay", stored).ok());
    rig.cycle->cmdStart_Click();
    QCOMPARE(rig.cycle->isShowing(), !stops);
    QCOMPARE(rig.cycle->pacingClock().isActive(), !stops);
    QCOMPARE(rig.told.contains("off"), stops);
}

void TestShowCycle::emptyPoolShowsNothing()
{
    Rig rig(Files{{"FileNames.txt", "\"p\",#TRUE#\r\n"}, {"plugins/p.txt", "\"a\",#FALSE#\r\n"}});
    rig.settings.RandomMessage = 0;
    rig.cycle->cmdStart_Click();
    QVERIFY(rig.cycle->isShowing());
    QCOMPARE(rig.beat(), QString());
    QVERIFY(!rig.visible());
    QVERIFY(rig.cycle->pacingClock().isActive());
    QCOMPARE(m_random.overdrawn, 0);
}

void TestShowCycle::messageInWholeFontCentredAndFitted()
{
    Rig rig(kAbc);
    rig.settings.FontName = "Arial";
    rig.settings.FontSize = 20;
    rig.settings.FontBold = true;
    rig.settings.FontItalic = true;
    rig.settings.Underline = true;
    rig.settings.Strikethrough = true;
    rig.settings.FontColor = 0x000000FF;
    rig.cycle->cmdStart_Click();
    rig.beat();

    FrmDisp* w = rig.cycle->displayWindow();
    QLabel* label = w->LblDisp();
    const QFont font = label->font();
    QCOMPARE(font.family(), "Arial");
    QCOMPARE(font.pointSizeF(), 20.0);
    QVERIFY(font.bold());
    QVERIFY(font.italic());
    QVERIFY(font.underline());
    QVERIFY(font.strikeOut());

    QCOMPARE(label->pos(), QPoint(0, 0));
    QCOMPARE(w->size(), label->size());
    QVERIFY(label->width() < 219); // fitted to "a", not left at the design size
    QCOMPARE(w->pos(), QPoint((1280 - label->width()) / 2, (960 - label->height()) / 2));

    // Red text on white inside a dark border.
    const QImage image = label->grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
    bool red = false;
    for (int y = 0; y < image.height() && !red; ++y) {
        for (int x = 0; x < image.width() && !red; ++x) {
            const QColor c = image.pixelColor(x, y);
            red = c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    }
    QVERIFY(red);
}

void TestShowCycle::markupIsShownAsWritten()
{
    Rig rig(Files{{"FileNames.txt", "\"p\",#TRUE#\r\n"},
                  {"plugins/p.txt", "\"a\",#TRUE#\r\n\"<u>a</u>\",#TRUE#\r\n"}});
    rig.cycle->cmdStart_Click();
    rig.beat();
    const int plain = rig.cycle->displayWindow()->LblDisp()->width();
    rig.endMessage();
    QCOMPARE(rig.beat(), "<u>a</u>");
    QVERIFY(rig.cycle->displayWindow()->LblDisp()->width() > plain);
}

void TestShowCycle::messageGoesAfterTheMainWindowIsGone()
{
    Rig rig(kAbc);
    rig.cycle->cmdStart_Click();
    rig.beat();
    QPointer<FrmDisp> shown = rig.cycle->displayWindow();
    rig.cycle.reset();
    QVERIFY(shown && shown->isVisible());
    QSignalSpy ended(shown.data(), &FrmDisp::messageEnded);
    shown->Timer1_Timer();
    QCOMPARE(ended.size(), 1);
    QVERIFY(!shown->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!shown);
}

// The window as designed: what a message finds before it is dressed.
static void checkDesign(FrmDisp* w)
{
    QLabel* label = w->LblDisp();
    QCOMPARE(label->text(), "Test");
    QCOMPARE(label->font().family(), "Verdana");
    QCOMPARE(label->font().pointSizeF(), 9.75);
    QVERIFY(label->font().bold());
    QVERIFY(!label->font().italic());
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(label->pos(), QPoint(2, 2));
    QCOMPARE(w->size(), Placement::kDesignSize);
    QVERIFY(!w->durationClock().isActive());
    QVERIFY(!w->isVisible());
}

void TestShowCycle::oneWindowStartsEveryMessageFromItsDesign()
{
    const QString wide = "a message far wider than the window was designed for";
    Rig rig(Files{
        {"FileNames.txt", "\"p\",#TRUE#\r\n"},
        {"plugins/p.txt", QByteArray("\"") + wide.toLatin1() + "\",#TRUE#\r\n\"a\",#TRUE#\r\n"}});
    rig.settings.RandomLocation = 0;
    rig.start();
    FrmDisp* w = rig.cycle->displayWindow();
    QVERIFY(w);
    const WId native = w->winId();
    checkDesign(w);

    for (int beat = 0; beat < 40; ++beat) {
        // Big and wide, then small and short: nothing of the one may reach the other.
        const bool big = beat % 2 == 0;
        rig.settings.FontName = big ? "DejaVu Serif" : "DejaVu Sans";
        rig.settings.FontSize = big ? 24 : 10;
        rig.settings.FontItalic = big;
        rig.settings.FontColor = big ? 0x0000FF : 0xFF0000;
        rig.settings.RandomLocation = beat % 4 < 2 ? 0 : 1;
        m_random.values = {0.75, 0.5};
        QCOMPARE(rig.beat(), big ? wide : "a");
        QCOMPARE(w->winId(), native);

        // The same message on a window fresh from its design.
        FrmDisp fresh;
        fresh.dressLabel(rig.settings.messageFont(),
                         DisplaySettings::colorFromValue(rig.settings.FontColor));
        m_random.values = {0.75, 0.5};
        fresh.PresentMessage(big ? wide : "a", rig.settings);
        QCOMPARE(w->geometry(), fresh.geometry());
        QCOMPARE(w->LblDisp()->geometry(), fresh.LblDisp()->geometry());
        QCOMPARE(w->grab().toImage(), fresh.grab().toImage());

        rig.endMessage();
        checkDesign(w);
    }
    // A stop puts it back as well.
    rig.beat();
    rig.cycle->cmdStart_Click();
    checkDesign(w);
    QCOMPARE(rig.cycle->displayWindow(), w);
}

void TestShowCycle::messageLargerThanTheScreenIsCut_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("length"); // characters per line
    QTest::addColumn<bool>("centre");
    QTest::newRow("1280x960, short") << QSize(1280, 960) << 1 << 20 << true;
    QTest::newRow("1280x960, 2,000 characters") << QSize(1280, 960) << 1 << 2000 << true;
    QTest::newRow("1280x960, 2,000 at a random place") << QSize(1280, 960) << 1 << 2000 << false;
    QTest::newRow("640x480, 10 MB on one line") << QSize(640, 480) << 1 << 5'000'000 << true;
    QTest::newRow("320x200, 300 short lines") << QSize(320, 200) << 300 << 10 << true;
    QTest::newRow("200x100, 50 long lines") << QSize(200, 100) << 50 << 500 << true;
    QTest::newRow("1280x960, 100,000 lines of 200") << QSize(1280, 960) << 100'000 << 200 << true;
}

void TestShowCycle::messageLargerThanTheScreenIsCut()
{
    QFETCH(QSize, screen);
    QFETCH(int, lines);
    QFETCH(int, length);
    QFETCH(bool, centre);
    m_screen.screen = screen;

    QStringList written;
    for (int i = 0; i < lines; ++i) {
        QString line(length, QChar());
        for (int c = 0; c < length; ++c)
            line[c] = QChar(u'a' + (c + i) % 26);
        written << line;
    }
    const QString text = written.join('\n');
    DisplaySettings settings;
    settings.RandomLocation = centre ? 1 : 0;
    m_random.values = {0.9, 0.9};
    FrmDisp w;
    const QFont font("DejaVu Sans", 12);
    w.dressLabel(font, Qt::black);
    w.PresentMessage(text, settings);

    QVERIFY(w.width() <= screen.width());
    QVERIFY(w.height() <= screen.height());
    QCOMPARE(w.size(), w.LblDisp()->size());
    if (centre)
        QVERIFY(QRect(QPoint(), screen).contains(w.geometry()));

    // The start of the message, every line ending at the screen's edge, and as many lines
    // as the screen holds.
    const QFontMetrics metrics(font);
    const QStringList shown = w.LblDisp()->text().split('\n');
    QVERIFY(shown.size() <= written.size());
    const bool tooTall = shown.size() < written.size();
    if (tooTall)
        QVERIFY((shown.size() + 1) * metrics.lineSpacing() - metrics.leading() + 2 >
                screen.height());
    // Whole: nothing of what is kept lies beyond the window's edge.
    QVERIFY(shown.size() * metrics.lineSpacing() - metrics.leading() + 2 <= screen.height());
    for (int i = 0; i < shown.size(); ++i) {
        QVERIFY(written[i].startsWith(shown[i]));
        QVERIFY(metrics.horizontalAdvance(shown[i]) + 2 <= w.width());
        if (shown[i].size() < written[i].size())
            QVERIFY(metrics.horizontalAdvance(written[i].left(shown[i].size() + 1)) + 2 >
                    screen.width());
    }
    if (!tooTall && shown == written.mid(0, shown.size()))
        QCOMPARE(w.LblDisp()->text(), text);
}

void TestShowCycle::flashedTextIsTheWholeMessageCut_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("fontSize");
    const QByteArray line(3000, 'w');
    QTest::newRow("1 MB on one line") << QSize(1280, 960) << QByteArray(1'000'000, 'i') << 12;
    QTest::newRow("300 lines of 3,000") << QSize(640, 480) << (line + "\n").repeated(300) << 12;
    QTest::newRow("short lines, small font")
        << QSize(1280, 960) << QByteArray("a line\n").repeated(100'000) << 6;
    QTest::newRow("pairs and lone breaks, large font")
        << QSize(320, 200) << QByteArray("ab\r\n\r\r\n\n").repeated(50'000) << 30;
    QTest::newRow("fits the screen") << QSize(1280, 960) << QByteArray("one\ntwo\r\nthree") << 12;
}

void TestShowCycle::flashedTextIsTheWholeMessageCut()
{
    QFETCH(QSize, screen);
    QFETCH(QByteArray, message);
    QFETCH(int, fontSize);
    m_screen.screen = screen;
    Rig rig(Files{{"FileNames.txt", "\"p\",#TRUE#\r\n"},
                  {"plugins/p.txt", "\"" + message + "\",#TRUE#\r\n"}});
    rig.settings.FontName = "DejaVu Sans";
    rig.settings.FontSize = fontSize;
    rig.start();
    const QString flashed = rig.beat();

    // The whole message on a window of its own, cut there.
    MessagePool pool(rig.dir.path());
    QVERIFY(pool.GatherMessages());
    QCOMPARE(pool.size(), 1);
    FrmDisp whole;
    whole.dressLabel(rig.settings.messageFont(),
                     DisplaySettings::colorFromValue(rig.settings.FontColor));
    whole.PresentMessage(pool.at(0), rig.settings);
    QCOMPARE(flashed, whole.LblDisp()->text());
}

QTEST_MAIN(TestShowCycle)
#include "tst_showcycle.moc"

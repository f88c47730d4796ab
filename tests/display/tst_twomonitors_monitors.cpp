#include "ChosenRandom.h"
#include "PauseRig.h"
#include "display/FrmDisp.h"
#include "settings/DisplaySettings.h"
#include "settings/ShowChoices.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

// The monitor a message shows on, on a desktop of two monitors of different sizes whose
// primary one does not start at the desktop's origin (tests/display/two-monitors.bash sets it
// up): the primary one, the one with the mouse pointer, or both at once, as the X server sees
// the windows.
class TestTwoMonitorsMonitors : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void places_data();
    void places();
    void extraWindowsOnlyForEveryMonitor();
    void theChoiceReachesTheShow_data();
    void theChoiceReachesTheShow();
    void cleanup();
    void cleanupTestCase();

private:
    // The place and size of every window that bypasses the window manager, shown or (with
    // `mappedOnly` false) not, as the X server holds them, left to right.
    QList<QRect> serverWindows(bool mappedOnly = true) const;
    void movePointer(const QPoint& to);

    FrmDisp m_flash;
    xcb_connection_t* m_x = xcb_connect(nullptr, nullptr); // the test's own view of the server
};

namespace {
const QRect kLeft(0, 0, 1280, 1024);
const QRect kPrimary(1280, 256, 1024, 768);

template <typename T> auto owned(T* reply)
{
    return std::unique_ptr<T, decltype(&std::free)>(reply, &std::free);
}

QString describe(const QList<QRect>& windows)
{
    QStringList seen;
    for (const QRect& r : windows)
        seen << QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    return seen.join(QStringLiteral("; "));
}
} // namespace

void TestTwoMonitorsMonitors::initTestCase()
{
    QVERIFY2(QGuiApplication::screens().size() == 2 &&
                 QGuiApplication::primaryScreen()->geometry() == kPrimary,
             "not the two monitors of two-monitors.bash");
}

QList<QRect> TestTwoMonitorsMonitors::serverWindows(bool mappedOnly) const
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
    const auto tree = owned(xcb_query_tree_reply(m_x, xcb_query_tree(m_x, root), nullptr));
    QList<QRect> found;
    if (!tree)
        return found;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const auto attributes = owned(xcb_get_window_attributes_reply(
            m_x, xcb_get_window_attributes(m_x, children[i]), nullptr));
        if (!attributes || !attributes->override_redirect ||
            (mappedOnly && attributes->map_state != XCB_MAP_STATE_VIEWABLE))
            continue;
        const auto geometry =
            owned(xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, children[i]), nullptr));
        if (geometry)
            found << QRect(geometry->x, geometry->y, geometry->width, geometry->height);
    }
    std::sort(found.begin(), found.end(),
              [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
    return found;
}

void TestTwoMonitorsMonitors::movePointer(const QPoint& to)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
    xcb_warp_pointer(m_x, XCB_NONE, root, 0, 0, 0, 0, qint16(to.x()), qint16(to.y()));
    xcb_flush(m_x);
    QTRY_COMPARE(QCursor::pos(), to);
}

void TestTwoMonitorsMonitors::places_data()
{
    QTest::addColumn<int>("monitors");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<int>("location"); // RandomLocation: 0 random, 1 centre
    QTest::addColumn<QString>("text");
    // The monitors the message shows on, left to right, and for the random place the windows'
    // corners.
    QTest::addColumn<QList<QRect>>("on");
    QTest::addColumn<QList<QPoint>>("corners");

    const QPoint onLeft(300, 500);
    const QPoint onPrimary(1500, 600);
    const QString sentence = QStringLiteral("Keep going, you are doing well");
    // Wider than the primary monitor, narrower than the left one once cut to it.
    const QString wide =
        QStringLiteral("Every long journey begins with a single small step forward ").repeated(8);
    // From the draws 0.5 (vertical) and 0.25 (horizontal), over each monitor's size less the
    // window as designed (219 x 29), rounded half to even.
    const QPoint randomOnLeft(265, 498);
    const QPoint randomOnPrimary(1481, 626);
    const QList<QRect> left{kLeft};
    const QList<QRect> primary{kPrimary};
    const QList<QRect> both{kLeft, kPrimary};
    const int centre = 1;
    const int random = 0;
    const QList<QPoint> none;

    for (const QPoint& pointer : {onLeft, onPrimary}) {
        const char* where = pointer == onLeft ? "pointer on the left" : "pointer on the primary";
        const QList<QRect> pointed = pointer == onLeft ? left : primary;
        const QPoint pointedRandom = pointer == onLeft ? randomOnLeft : randomOnPrimary;
        QTest::addRow("primary, centre, %s", where)
            << int(ShowChoices::PrimaryMonitor) << pointer << centre << sentence << primary << none;
        QTest::addRow("primary, random, %s", where)
            << int(ShowChoices::PrimaryMonitor) << pointer << random << sentence << primary
            << QList<QPoint>{randomOnPrimary};
        QTest::addRow("pointer's, centre, %s", where)
            << int(ShowChoices::PointerMonitor) << pointer << centre << sentence << pointed << none;
        QTest::addRow("pointer's, random, %s", where)
            << int(ShowChoices::PointerMonitor) << pointer << random << sentence << pointed
            << QList<QPoint>{pointedRandom};
        QTest::addRow("every, centre, %s", where)
            << int(ShowChoices::EveryMonitor) << pointer << centre << sentence << both << none;
        QTest::addRow("every, random, %s", where)
            << int(ShowChoices::EveryMonitor) << pointer << random << sentence << both
            << QList<QPoint>{randomOnLeft, randomOnPrimary};
    }
    QTest::newRow("pointer's, cut to the left one")
        << int(ShowChoices::PointerMonitor) << onLeft << centre << wide << left << none;
    QTest::newRow("every, centre, each cut to its own")
        << int(ShowChoices::EveryMonitor) << onPrimary << centre << wide << both << none;
    QTest::newRow("every, random, each cut to its own")
        << int(ShowChoices::EveryMonitor) << onPrimary << random << wide << both
        << QList<QPoint>{randomOnLeft, randomOnPrimary};
}

void TestTwoMonitorsMonitors::places()
{
    QFETCH(int, monitors);
    QFETCH(QPoint, pointer);
    QFETCH(int, location);
    QFETCH(QString, text);
    QFETCH(QList<QRect>, on);
    QFETCH(QList<QPoint>, corners);
    movePointer(pointer);
    m_flash.showOn(monitors);
    ChosenRandom chosen({0.5, 0.25});
    RandomSource::set(&chosen);
    m_flash.dressLabel(m_flash.font(), Qt::black);
    DisplaySettings settings;
    settings.RandomLocation = location;
    settings.DispDuration = 99; // stays until its duration clock is made to fire
    m_flash.PresentMessage(text, settings);
    RandomSource::set(nullptr);
    // Drawn once for the message, however many monitors show it.
    QCOMPARE(chosen.left(), location == 0 ? 0 : 2);

    QList<QRect> shown;
    QTRY_COMPARE((shown = serverWindows()).size(), on.size());
    for (qsizetype i = 0; i < on.size(); ++i) {
        const QRect& monitor = on[i];
        const QRect& window = shown[i];
        QVERIFY2(window.width() <= monitor.width() && window.height() <= monitor.height(),
                 qPrintable(describe(shown)));
        if (location == 0) {
            // A long message may reach past the right edge from there.
            QCOMPARE(window.topLeft(), corners[i]);
        } else {
            QVERIFY2(monitor.contains(window), qPrintable(describe(shown)));
            // An odd difference leaves the extra pixel on the right and at the bottom.
            const QPoint before = window.topLeft() - monitor.topLeft();
            const QPoint after = monitor.bottomRight() - window.bottomRight();
            QVERIFY2(after.x() - before.x() == 0 || after.x() - before.x() == 1,
                     qPrintable(describe(shown)));
            QVERIFY2(after.y() - before.y() == 0 || after.y() - before.y() == 1,
                     qPrintable(describe(shown)));
        }
        // A text wider than the primary is cut to the monitor it shows on.
        if (text.size() > 400)
            QVERIFY2(window.width() > monitor.width() - 40, qPrintable(describe(shown)));
    }
    // The first monitor's window is the one the widget describes.
    QCOMPARE(m_flash.geometry(), monitors == ShowChoices::EveryMonitor ? shown.last() : shown[0]);

    // One duration clock ends them all.
    QSignalSpy ended(&m_flash, &FrmDisp::messageEnded);
    m_flash.durationClock().start(0);
    QTRY_COMPARE(ended.count(), 1);
    QTRY_VERIFY2(serverWindows().isEmpty(), qPrintable(describe(serverWindows())));
    QCOMPARE(ended.count(), 1);
}

// Windows for the further monitors exist only while every monitor is chosen.
void TestTwoMonitorsMonitors::extraWindowsOnlyForEveryMonitor()
{
    DisplaySettings settings;
    settings.RandomLocation = 1;
    settings.DispDuration = 99;
    m_flash.showOn(ShowChoices::PrimaryMonitor);
    m_flash.PresentMessage(QStringLiteral("one"), settings);
    QTRY_COMPARE(serverWindows().size(), 1);
    m_flash.Unload();
    const qsizetype alone = serverWindows(false).size();

    m_flash.showOn(ShowChoices::EveryMonitor);
    m_flash.PresentMessage(QStringLiteral("two"), settings);
    QTRY_COMPARE(serverWindows().size(), 2);
    QCOMPARE(serverWindows(false).size(), alone + 1);

    // Taken back while the message shows: the message stays whole until it goes, and the
    // window goes with it.
    m_flash.showOn(ShowChoices::PointerMonitor);
    QCOMPARE(serverWindows().size(), 2);
    m_flash.Unload();
    QTRY_COMPARE(serverWindows(false).size(), alone);
    // Taken back between messages: at once.
    m_flash.showOn(ShowChoices::EveryMonitor);
    m_flash.PresentMessage(QStringLiteral("three"), settings);
    QTRY_COMPARE(serverWindows().size(), 2);
    m_flash.Unload();
    QCOMPARE(serverWindows(false).size(), alone + 1);
    m_flash.showOn(ShowChoices::PrimaryMonitor);
    QTRY_COMPARE(serverWindows(false).size(), alone);
}

// The choice made through the show's hold is the one its messages follow, from the next one
// on, also while the show runs.
void TestTwoMonitorsMonitors::theChoiceReachesTheShow_data()
{
    QTest::addColumn<int>("before"); // chosen before the start
    QTest::addColumn<int>("during"); // chosen while the show runs, or -1
    QTest::addColumn<QList<QRect>>("on");
    QTest::newRow("primary") << int(ShowChoices::PrimaryMonitor) << -1 << QList<QRect>{kPrimary};
    QTest::newRow("pointer's") << int(ShowChoices::PointerMonitor) << -1 << QList<QRect>{kLeft};
    QTest::newRow("every") << int(ShowChoices::EveryMonitor) << -1 << QList<QRect>{kLeft, kPrimary};
    QTest::newRow("every, then the pointer's")
        << int(ShowChoices::EveryMonitor) << int(ShowChoices::PointerMonitor)
        << QList<QRect>{kLeft};
    QTest::newRow("primary, then every")
        << int(ShowChoices::PrimaryMonitor) << int(ShowChoices::EveryMonitor)
        << QList<QRect>{kLeft, kPrimary};
}

void TestTwoMonitorsMonitors::theChoiceReachesTheShow()
{
    QFETCH(int, before);
    QFETCH(int, during);
    QFETCH(QList<QRect>, on);
    movePointer(kLeft.center());
    PauseRig rig(QDateTime::currentDateTime());
    QVERIFY(rig.hold->setShowMessagesOn(before).ok());
    rig.start();
    if (during >= 0)
        QVERIFY(rig.hold->setShowMessagesOn(during).ok());
    rig.cycle->Timer1_Timer();
    QList<QRect> shown;
    QTRY_COMPARE((shown = serverWindows()).size(), on.size());
    for (qsizetype i = 0; i < on.size(); ++i)
        QVERIFY2(on[i].contains(shown[i]), qPrintable(describe(shown)));
    rig.cycle->displayWindow()->Timer1_Timer();
    QTRY_VERIFY(serverWindows().isEmpty());
}

void TestTwoMonitorsMonitors::cleanup()
{
    RandomSource::set(nullptr);
    m_flash.Unload();
    m_flash.showOn(ShowChoices::PrimaryMonitor);
    QTRY_VERIFY(serverWindows().isEmpty());
}

void TestTwoMonitorsMonitors::cleanupTestCase()
{
    xcb_disconnect(m_x);
}

QTEST_MAIN(TestTwoMonitorsMonitors)
#include "tst_twomonitors_monitors.moc"

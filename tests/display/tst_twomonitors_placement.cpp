#include "ChosenRandom.h"
#include "display/FrmDisp.h"
#include "settings/DisplaySettings.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

// Where a message lands on a desktop of two monitors of different sizes whose primary one
// does not start at the desktop's origin (tests/display/two-monitors.bash sets it up): the
// centre and the random place are taken on the primary monitor, as the server sees the window.
class TestTwoMonitorsPlacement : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void centre_data();
    void centre();
    void random_data();
    void random();
    void cleanup();
    void cleanupTestCase();

private:
    // The place and size of the message on the screen, as the X server holds them, or an
    // empty rectangle while none is shown.
    QRect serverGeometry() const;
    static QString longText();

    FrmDisp m_flash;
    xcb_connection_t* m_x = xcb_connect(nullptr, nullptr); // the test's own view of the server
};

namespace {
const QRect kPrimary(1280, 256, 1024, 768);
} // namespace

void TestTwoMonitorsPlacement::initTestCase()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    QStringList seen;
    for (const QScreen* screen : screens)
        seen << QStringLiteral("%1 %2,%3 %4x%5")
                    .arg(screen->name())
                    .arg(screen->geometry().x())
                    .arg(screen->geometry().y())
                    .arg(screen->geometry().width())
                    .arg(screen->geometry().height());
    QVERIFY2(screens.size() == 2 && QGuiApplication::primaryScreen()->geometry() == kPrimary,
             qPrintable("not the two monitors of two-monitors.bash: " + seen.join("; ")));
}

// Wider than the primary monitor, narrower than the whole desktop: it is cut to the primary.
QString TestTwoMonitorsPlacement::longText()
{
    return QStringLiteral("Every long journey begins with a single small step forward ")
        .repeated(8);
}

// The message is the one mapped window that bypasses the window manager: the test shows
// nothing else.
QRect TestTwoMonitorsPlacement::serverGeometry() const
{
    const auto owned = [](auto* reply) {
        return std::unique_ptr<std::remove_pointer_t<decltype(reply)>, decltype(&std::free)>(
            reply, &std::free);
    };
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
    const auto tree = owned(xcb_query_tree_reply(m_x, xcb_query_tree(m_x, root), nullptr));
    if (!tree)
        return QRect();
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0; --i) {
        const auto attributes = owned(xcb_get_window_attributes_reply(
            m_x, xcb_get_window_attributes(m_x, children[i]), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            !attributes->override_redirect)
            continue;
        const auto geometry =
            owned(xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, children[i]), nullptr));
        if (geometry)
            return QRect(geometry->x, geometry->y, geometry->width, geometry->height);
    }
    return QRect();
}

void TestTwoMonitorsPlacement::centre_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pointSize");

    QTest::newRow("short") << QStringLiteral("Hi") << 10;
    QTest::newRow("a sentence") << QStringLiteral("Keep going, you are doing well") << 10;
    QTest::newRow("large letters") << QStringLiteral("Keep going, you are doing well") << 48;
    QTest::newRow("cut to the primary's width") << longText() << 10;
    // About 900 pixels high: it would fit on the left monitor, not on the primary.
    QTest::newRow("cut to the primary's height") << QStringLiteral("Line\n").repeated(20) << 30;
}

void TestTwoMonitorsPlacement::centre()
{
    QFETCH(QString, text);
    QFETCH(int, pointSize);
    QFont font = m_flash.font();
    font.setPointSize(pointSize);
    m_flash.dressLabel(font, Qt::black);
    DisplaySettings settings;
    settings.RandomLocation = 1; // centre
    settings.DispDuration = 99;  // stays until the test takes it off
    m_flash.PresentMessage(text, settings);

    QRect onServer;
    QTRY_VERIFY((onServer = serverGeometry()).isValid());
    QVERIFY2(kPrimary.contains(onServer), qPrintable(QStringLiteral("at %1,%2 %3x%4")
                                                         .arg(onServer.x())
                                                         .arg(onServer.y())
                                                         .arg(onServer.width())
                                                         .arg(onServer.height())));
    // An odd difference leaves the extra pixel on the right and at the bottom.
    const QPoint before = onServer.topLeft() - kPrimary.topLeft();
    const QPoint after = kPrimary.bottomRight() - onServer.bottomRight();
    QVERIFY(after.x() - before.x() == 0 || after.x() - before.x() == 1);
    QVERIFY(after.y() - before.y() == 0 || after.y() - before.y() == 1);
    QCOMPARE(m_flash.geometry(), onServer);
}

void TestTwoMonitorsPlacement::random_data()
{
    QTest::addColumn<double>("rVertical");
    QTest::addColumn<double>("rHorizontal");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPoint>("topLeft");

    // The ranges are the primary's size less the window as designed (219 x 29): 805 x 739.
    const double highest = double((1u << 24) - 1) / double(1u << 24);
    const QString sentence = QStringLiteral("Keep going, you are doing well");
    QTest::newRow("lowest: the primary's corner") << 0.0 << 0.0 << sentence << QPoint(1280, 256);
    QTest::newRow("highest") << highest << highest << sentence << QPoint(2085, 995);
    QTest::newRow("vertical drawn first, halves to even")
        << 0.5 << 0.25 << sentence << QPoint(1481, 626);
    QTest::newRow("short message, same place") << 0.5 << 0.25 << "Hi" << QPoint(1481, 626);
    QTest::newRow("cut message, same place") << 0.5 << 0.25 << longText() << QPoint(1481, 626);
}

void TestTwoMonitorsPlacement::random()
{
    QFETCH(double, rVertical);
    QFETCH(double, rHorizontal);
    QFETCH(QString, text);
    QFETCH(QPoint, topLeft);
    ChosenRandom chosen({rVertical, rHorizontal});
    RandomSource::set(&chosen);
    m_flash.dressLabel(m_flash.font(), Qt::black);
    DisplaySettings settings;
    settings.RandomLocation = 0; // random
    settings.DispDuration = 99;
    m_flash.PresentMessage(text, settings);
    RandomSource::set(nullptr);
    QCOMPARE(chosen.left(), 0);

    QRect onServer;
    QTRY_VERIFY((onServer = serverGeometry()).isValid());
    QCOMPARE(onServer.topLeft(), topLeft);
    QVERIFY(onServer.width() <= kPrimary.width());
    QCOMPARE(m_flash.geometry(), onServer);
}

void TestTwoMonitorsPlacement::cleanup()
{
    RandomSource::set(nullptr);
    m_flash.Unload();
    QTRY_VERIFY(!serverGeometry().isValid());
}

void TestTwoMonitorsPlacement::cleanupTestCase()
{
    xcb_disconnect(m_x);
}

QTEST_MAIN(TestTwoMonitorsPlacement)
#include "tst_twomonitors_placement.moc"

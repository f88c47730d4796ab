#include "core/Screen.h"
#include "display/FrmDisp.h"
#include "display/ShowCycle.h"
#include "settings/DisplaySettings.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <memory>
#include <xcb/shape.h>
#include <xcb/xcb.h>

// The flash on a real X server: above the window the user works in, never taking its focus,
// gone after its duration.
class TestX11FrmDisp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void flashStaysAboveWithoutTakingTheFocus();
    void stopRemovesTheFlashFromTheScreen();
    void wholeFromItsFirstMomentAndTimedFromThere();
    void oneWindowComesAboveWindowsShownSinceTheLastMessage();
    void clickGoesToTheWindowBelowAndTheFocusStays();
    void stoppedBeforeItWentUp();
    void aMessageNeverExposedStillEnds();
    void cleanupTestCase();

private:
    QColor screenColourAt(const QPoint& point) const;
    // The topmost window on the screen at `point`, as the X server stacks them.
    xcb_window_t topWindowAt(const QPoint& point) const;
    static QString tool(const QString& program, const QStringList& arguments);
    FrmDisp* beat();

    QTemporaryDir m_dir;
    DisplaySettings m_settings;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<ShowCycle> m_cycle;
    QWidget m_work;                  // the program the user works in, full screen and red
    xcb_connection_t* m_x = nullptr; // the test's own view of the X server
};

namespace {
template <typename T> std::unique_ptr<T, decltype(&std::free)> owned(T* reply)
{
    return {reply, &std::free};
}
} // namespace

void TestX11FrmDisp::initTestCase()
{
    QDir().mkpath(m_dir.filePath("plugins"));
    QFile list(m_dir.filePath("FileNames.txt"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("\"p\",#TRUE#\r\n");
    list.close();
    QFile program(m_dir.filePath("plugins/p.txt"));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write("\"Keep going, you are doing well\",#TRUE#\r\n");
    program.close();

    m_x = xcb_connect(nullptr, nullptr);
    QVERIFY(!xcb_connection_has_error(m_x));
    m_store = SettingsStore::atIniFile(m_dir.filePath("settings.ini"));
    m_settings.RandomLocation = 1; // centre
    // A duration outside the list: each message stays until the test ends it, since a busy
    // machine may take longer than a message's duration to show it and the checks need it.
    m_settings.DispDuration = 99;
    m_cycle = std::make_unique<ShowCycle>(m_settings, *m_store, m_dir.path());

    QPalette red = m_work.palette();
    red.setColor(QPalette::Window, Qt::red);
    m_work.setPalette(red);
    m_work.setAutoFillBackground(true);
    m_work.showFullScreen();
    m_work.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_work));

    QSignalSpy ready(m_cycle.get(), &ShowCycle::poolReady);
    m_cycle->cmdStart_Click();
    QVERIFY(m_cycle->isShowing());
    QVERIFY(ready.wait(60000));
}

void TestX11FrmDisp::cleanupTestCase()
{
    m_cycle.reset();
    xcb_disconnect(m_x);
}

xcb_window_t TestX11FrmDisp::topWindowAt(const QPoint& point) const
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
    const auto tree = owned(xcb_query_tree_reply(m_x, xcb_query_tree(m_x, root), nullptr));
    if (!tree)
        return XCB_NONE;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    // Bottom to top: the last viewable child that covers the point is the one seen there.
    for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0; --i) {
        const auto attributes = owned(xcb_get_window_attributes_reply(
            m_x, xcb_get_window_attributes(m_x, children[i]), nullptr));
        const auto geometry =
            owned(xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, children[i]), nullptr));
        if (attributes && geometry && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
            QRect(geometry->x, geometry->y, geometry->width, geometry->height).contains(point))
            return children[i];
    }
    return XCB_NONE;
}

QColor TestX11FrmDisp::screenColourAt(const QPoint& point) const
{
    const QImage image =
        QGuiApplication::primaryScreen()->grabWindow(0, point.x(), point.y(), 1, 1).toImage();
    return image.isNull() ? QColor() : image.pixelColor(0, 0);
}

// The output of one of the X utilities (x11-utils), or nothing when it could not run.
QString TestX11FrmDisp::tool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// One beat, its message held on the screen.
FrmDisp* TestX11FrmDisp::beat()
{
    m_cycle->Timer1_Timer();
    FrmDisp* flash = m_cycle->displayWindow();
    if (!flash || !flash->isVisible())
        return nullptr;
    const QPoint ground = flash->geometry().topLeft() + QPoint(2, 2);
    return QTest::qWaitFor([&] { return screenColourAt(ground) == QColor(Qt::white); }, 10000)
               ? flash
               : nullptr;
}

void TestX11FrmDisp::flashStaysAboveWithoutTakingTheFocus()
{
    QPointer<FrmDisp> flash = beat();
    QVERIFY(flash);
    QTest::qWait(100);

    QCOMPARE(QGuiApplication::focusWindow(), m_work.windowHandle());
    QCOMPARE(QApplication::activeWindow(), &m_work);
    QVERIFY(!flash->isActiveWindow());
    const QRect area = flash->geometry();
    QCOMPARE(area.size(), flash->LblDisp()->size());
    // What a window manager, a taskbar or a window switcher reads from the server: a window
    // at the message's place and of its size, above the others, that is not theirs to manage,
    // that refuses the input focus, and whose input shape is empty.
    const xcb_window_t top = topWindowAt(area.center());
    const auto geometry = owned(xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, top), nullptr));
    QVERIFY(geometry);
    QCOMPARE(QRect(geometry->x, geometry->y, geometry->width, geometry->height), area);
    const QString id = QString::number(top);
    QVERIFY(tool("xwininfo", {"-id", id}).contains("Override Redirect State: yes"));
    QVERIFY(tool("xprop", {"-id", id, "WM_HINTS"})
                .contains("Client accepts input or input focus: False"));
    const auto input = owned(xcb_shape_get_rectangles_reply(
        m_x, xcb_shape_get_rectangles(m_x, top, XCB_SHAPE_SK_INPUT), nullptr));
    QVERIFY(input);
    QCOMPARE(input->rectangles_len, 0u);
    QCOMPARE(screenColourAt(area.topLeft() + QPoint(2, 2)), QColor(Qt::white));
    QCOMPARE(screenColourAt(area.topLeft() - QPoint(3, 3)), QColor(Qt::red));

    QElapsedTimer shown;
    shown.start();
    flash->durationClock().start(200);
    QTRY_VERIFY_WITH_TIMEOUT(!flash->isVisible(), 5000);
    QVERIFY(shown.elapsed() >= 195);
    QTRY_COMPARE(screenColourAt(area.topLeft() + QPoint(2, 2)), QColor(Qt::red));
    QVERIFY(m_cycle->pacingClock().isActive());
}

void TestX11FrmDisp::stopRemovesTheFlashFromTheScreen()
{
    QPointer<FrmDisp> flash = beat();
    QVERIFY(flash);
    const QPoint inside = flash->geometry().topLeft() + QPoint(2, 2);
    QTRY_COMPARE(screenColourAt(inside), QColor(Qt::white));
    m_cycle->cmdStart_Click();
    QVERIFY(!flash->isVisible());
    QTRY_COMPARE(screenColourAt(inside), QColor(Qt::red));
    QVERIFY(!m_cycle->pacingClock().isActive());
    QSignalSpy ready(m_cycle.get(), &ShowCycle::poolReady);
    m_cycle->cmdStart_Click();
    QVERIFY(m_cycle->isShowing());
    QVERIFY(ready.wait(60000));
}

// The window is mapped once the server holds the finished message, so the server draws it
// the moment the window is mapped, and the program paints nothing then; the duration counts
// from then, not from the request to show.
void TestX11FrmDisp::wholeFromItsFirstMomentAndTimedFromThere()
{
    m_settings.DispDuration = 7; // 200 ms
    m_cycle->Timer1_Timer();
    QPointer<FrmDisp> flash = m_cycle->displayWindow();
    QVERIFY(flash && flash->isVisible());
    QSignalSpy ended(flash.data(), &FrmDisp::messageEnded);
    // No event has been handled since the show: the program has painted nothing, and the
    // clock only waits for the pixels (with time to spare), the duration not yet begun.
    QVERIFY(flash->durationClock().interval() > flash->duration());
    const QRect area = flash->geometry();
    QTRY_VERIFY(topWindowAt(area.center()) != xcb_window_t(m_work.winId()));
    QCOMPARE(screenColourAt(area.topLeft()), QColor(Qt::black));
    QCOMPARE(screenColourAt(area.topLeft() + QPoint(2, 2)), QColor(Qt::white));

    QTRY_VERIFY(flash->durationClock().interval() < flash->duration() || !ended.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    m_settings.DispDuration = 99;
}

// One native window serves every message, and each is above the windows shown since the
// message before it.
void TestX11FrmDisp::oneWindowComesAboveWindowsShownSinceTheLastMessage()
{
    QPointer<FrmDisp> flash = beat();
    QVERIFY(flash);
    const QPoint inside = flash->geometry().topLeft() + QPoint(2, 2);
    const xcb_window_t native = topWindowAt(inside);
    flash->Timer1_Timer();

    QWidget later;
    QPalette green = later.palette();
    green.setColor(QPalette::Window, Qt::green);
    later.setPalette(green);
    later.setAutoFillBackground(true);
    later.setGeometry(QGuiApplication::primaryScreen()->geometry());
    later.show();
    QVERIFY(QTest::qWaitForWindowExposed(&later));
    QTRY_COMPARE(screenColourAt(inside), QColor(Qt::green));

    QCOMPARE(beat(), flash.data());
    QCOMPARE(topWindowAt(inside), native);
    QTRY_COMPARE(screenColourAt(inside), QColor(Qt::white));
    flash->Timer1_Timer();
}

// A click where a message is showing is meant for the window below it; the message takes
// neither the click nor the focus. The window below belongs to another client, as it would in
// use: a plain X window on a connection of the test's own.
void TestX11FrmDisp::clickGoesToTheWindowBelowAndTheFocusStays()
{
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    QVERIFY(other && !xcb_connection_has_error(other));
    const auto disconnect = qScopeGuard([other] { xcb_disconnect(other); });
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(other)).data;
    const xcb_window_t below = xcb_generate_id(other);
    const quint32 values[] = {0x0000ff /* blue */, 1,
                              XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS};
    xcb_create_window(other, XCB_COPY_FROM_PARENT, below, screen->root, 0, 0,
                      screen->width_in_pixels, screen->height_in_pixels, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_map_window(other, below);
    xcb_flush(other);
    // Waits, without handling the program's events, for an event of `type` on `below`.
    const auto awaitEvent = [other](quint8 type) {
        for (int i = 0; i < 2000; ++i) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(other)) {
                const auto taken = owned(event);
                if ((event->response_type & 0x7f) == type)
                    return true;
            }
            QThread::msleep(5);
        }
        return false;
    };
    QVERIFY(awaitEvent(XCB_EXPOSE));
    const auto focus = [other] {
        const auto reply =
            owned(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));
        return reply ? reply->focus : xcb_window_t(XCB_NONE);
    };
    const xcb_window_t focusBefore = focus();

    // The message stays until the test ends it, so it is surely on the screen when the click
    // comes.
    m_cycle->Timer1_Timer();
    QPointer<FrmDisp> flash = m_cycle->displayWindow();
    QVERIFY(flash && flash->isVisible());
    QSignalSpy ended(flash.data(), &FrmDisp::messageEnded);
    const QPoint middle = flash->geometry().center();
    const QPoint ground = flash->geometry().topLeft() + QPoint(2, 2);
    const auto flashShows = [&] { return screenColourAt(ground) == QColor(Qt::white); };
    QTRY_VERIFY_WITH_TIMEOUT(flashShows(), 10000);
    QProcess click;
    click.start("xdotool", {"mousemove", QString::number(middle.x()), QString::number(middle.y()),
                            "click", "1"});
    QVERIFY(click.waitForFinished(10000) && click.exitCode() == 0);
    QVERIFY(flashShows());
    QVERIFY(ended.isEmpty());

    QVERIFY(awaitEvent(XCB_BUTTON_PRESS));
    QCOMPARE(focus(), focusBefore);
    flash->durationClock().start(200);
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    QCOMPARE(focus(), focusBefore);
    xcb_destroy_window(other, below);
}

namespace {
// A primary screen far larger than the X server's: a centred message lands wholly off the
// server's screen, where it never gets an exposure.
class HugeScreen : public Screen
{
public:
    QSize size() const override { return {20000, 20000}; }
};
} // namespace

// Stopped before the server answered that it holds the picture: the window never goes up.
void TestX11FrmDisp::stoppedBeforeItWentUp()
{
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    if (FrmDisp* earlier = m_cycle->displayWindow())
        earlier->Unload();
    QTRY_COMPARE(topWindowAt(centre), xcb_window_t(m_work.winId()));
    // The server answers no one else while the test holds it: the program's show and stop
    // both reach it before it answers the show.
    xcb_grab_server(m_x);
    free(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr));
    m_cycle->Timer1_Timer();
    QPointer<FrmDisp> flash = m_cycle->displayWindow();
    QVERIFY(flash && flash->isVisible());
    QVERIFY(flash->geometry().contains(centre));
    m_cycle->cmdStart_Click();
    QVERIFY(!flash->isVisible());
    xcb_ungrab_server(m_x);
    xcb_flush(m_x);
    // Time for the answer to come and be read.
    QTest::qWait(500);
    QCOMPARE(topWindowAt(centre), xcb_window_t(m_work.winId()));
    QSignalSpy ready(m_cycle.get(), &ShowCycle::poolReady);
    m_cycle->cmdStart_Click();
    QVERIFY(m_cycle->isShowing());
    QVERIFY(ready.wait(60000));
}

void TestX11FrmDisp::aMessageNeverExposedStillEnds()
{
    HugeScreen huge;
    Screen::set(&huge);
    FrmDisp flash;
    DisplaySettings settings;
    settings.RandomLocation = 1; // centre
    settings.DispDuration = 0;
    QSignalSpy ended(&flash, &FrmDisp::messageEnded);
    flash.PresentMessage(QStringLiteral("Far away"), settings);
    Screen::set(nullptr);
    QVERIFY(flash.geometry().left() > 1280 && flash.geometry().top() > 960);
    // Ends after its duration and the wait for pixels, never later than a generous bound.
    QTRY_VERIFY_WITH_TIMEOUT(ended.count() == 1, 30000);
    QVERIFY(!flash.isVisible());
}

QTEST_MAIN(TestX11FrmDisp)
#include "tst_x11_frmdisp.moc"

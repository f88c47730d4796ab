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
    void cleanupTestCase();

private:
    QColor screenColourAt(const QPoint& point) const;
    static QString tool(const QString& program, const QStringList& arguments);
    FrmDisp* beat();

    QTemporaryDir m_dir;
    DisplaySettings m_settings;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<ShowCycle> m_cycle;
    QWidget m_work; // the program the user works in, full screen and red
};

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
    if (!flash || !flash->isVisible() || !QTest::qWaitForWindowExposed(flash))
        return nullptr;
    return flash;
}

void TestX11FrmDisp::flashStaysAboveWithoutTakingTheFocus()
{
    QPointer<FrmDisp> flash = beat();
    QVERIFY(flash);
    QTest::qWait(100);

    QCOMPARE(QGuiApplication::focusWindow(), m_work.windowHandle());
    QCOMPARE(QApplication::activeWindow(), &m_work);
    QVERIFY(!flash->isActiveWindow());
    // What a window manager, a taskbar or a window switcher reads from the server: a window
    // that is not theirs to manage and that refuses the input focus.
    const QString id = QString::number(flash->winId());
    QVERIFY(tool("xwininfo", {"-id", id}).contains("Override Redirect State: yes"));
    QVERIFY(tool("xprop", {"-id", id, "WM_HINTS"})
                .contains("Client accepts input or input focus: False"));

    const QRect area = flash->geometry();
    QCOMPARE(area.size(), flash->LblDisp()->size());
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

// The server draws the finished message the moment the window is mapped, before the program
// paints anything, and the duration counts from then, not from the request to show.
void TestX11FrmDisp::wholeFromItsFirstMomentAndTimedFromThere()
{
    m_settings.DispDuration = 7; // 200 ms
    m_cycle->Timer1_Timer();
    QPointer<FrmDisp> flash = m_cycle->displayWindow();
    QVERIFY(flash && flash->isVisible());
    QSignalSpy ended(flash.data(), &FrmDisp::messageEnded);
    // No event has been handled since the show: the program has painted nothing yet.
    QVERIFY(!flash->durationClock().isActive());
    const QRect area = flash->geometry();
    QCOMPARE(screenColourAt(area.topLeft()), QColor(Qt::black));
    QCOMPARE(screenColourAt(area.topLeft() + QPoint(2, 2)), QColor(Qt::white));

    QTRY_VERIFY(flash->durationClock().isActive() || !ended.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    m_settings.DispDuration = 99;
}

// One native window serves every message, and each is above the windows shown since the
// message before it.
void TestX11FrmDisp::oneWindowComesAboveWindowsShownSinceTheLastMessage()
{
    QPointer<FrmDisp> flash = beat();
    QVERIFY(flash);
    const WId native = flash->winId();
    flash->Timer1_Timer();

    QWidget later;
    QPalette green = later.palette();
    green.setColor(QPalette::Window, Qt::green);
    later.setPalette(green);
    later.setAutoFillBackground(true);
    later.setGeometry(QGuiApplication::primaryScreen()->geometry());
    later.show();
    QVERIFY(QTest::qWaitForWindowExposed(&later));
    const QPoint inside = flash->geometry().topLeft() + QPoint(2, 2);
    QTRY_COMPARE(screenColourAt(inside), QColor(Qt::green));

    QCOMPARE(beat(), flash.data());
    QCOMPARE(flash->winId(), native);
    QTRY_COMPARE(screenColourAt(inside), QColor(Qt::white));
    flash->Timer1_Timer();
}

// A click where a message is showing is meant for the window below it; the message takes
// neither the click nor the focus. The window below belongs to another client, as it would in
// use: a plain X window on a connection of the test's own.
void TestX11FrmDisp::clickGoesToTheWindowBelowAndTheFocusStays()
{
    using Reply = std::unique_ptr<void, decltype(&std::free)>;
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
                const Reply owned(event, &std::free);
                if ((event->response_type & 0x7f) == type)
                    return true;
            }
            QThread::msleep(5);
        }
        return false;
    };
    QVERIFY(awaitEvent(XCB_EXPOSE));
    const auto focus = [other] {
        const Reply reply(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr),
                          &std::free);
        return reply ? static_cast<xcb_get_input_focus_reply_t*>(reply.get())->focus
                     : xcb_window_t(XCB_NONE);
    };
    const xcb_window_t focusBefore = focus();

    m_settings.DispDuration = 7; // 200 ms
    m_cycle->Timer1_Timer();
    QPointer<FrmDisp> flash = m_cycle->displayWindow();
    QVERIFY(flash && flash->isVisible());
    QSignalSpy ended(flash.data(), &FrmDisp::messageEnded);
    const QPoint middle = flash->geometry().center();
    // No event of the program is handled until the click is in: its duration has not begun,
    // so the message is surely on the screen when the click comes.
    const QPoint ground = flash->geometry().topLeft() + QPoint(2, 2);
    const auto flashShows = [&] { return screenColourAt(ground) == QColor(Qt::white); };
    for (int i = 0; i < 2000 && !flashShows(); ++i)
        QThread::msleep(5);
    QVERIFY(flashShows());
    QVERIFY(ended.isEmpty());
    QProcess click;
    click.start("xdotool", {"mousemove", QString::number(middle.x()), QString::number(middle.y()),
                            "click", "1"});
    QVERIFY(click.waitForFinished(10000) && click.exitCode() == 0);
    QVERIFY(flashShows());
    QVERIFY(ended.isEmpty());

    QVERIFY(awaitEvent(XCB_BUTTON_PRESS));
    QCOMPARE(focus(), focusBefore);
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    QCOMPARE(focus(), focusBefore);
    m_settings.DispDuration = 99;
    xcb_destroy_window(other, below);
}

QTEST_MAIN(TestX11FrmDisp)
#include "tst_x11_frmdisp.moc"

// Holds on a real X server and a private session bus: a full-screen window of the test's own
// made active, and a stand-in notification service in Do Not Disturb.
#include "PauseRig.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QProcess>
#include <QWidget>
#include <xcb/xcb.h>

namespace {

xcb_connection_t* x()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}
xcb_window_t root()
{
    return xcb_setup_roots_iterator(xcb_get_setup(x())).data->root;
}
xcb_atom_t atom(const char* name)
{
    auto* reply =
        xcb_intern_atom_reply(x(), xcb_intern_atom(x(), 0, uint16_t(qstrlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : 0;
    free(reply);
    return a;
}
// What a window manager would set: the root's active window, and the window's states.
void setActive(xcb_window_t w)
{
    xcb_change_property(x(), XCB_PROP_MODE_REPLACE, root(), atom("_NET_ACTIVE_WINDOW"),
                        XCB_ATOM_WINDOW, 32, 1, &w);
    xcb_flush(x());
}
void setStates(xcb_window_t w, const QList<xcb_atom_t>& states)
{
    xcb_change_property(x(), XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                        uint32_t(states.size()), states.constData());
    xcb_flush(x());
}

// The desktop's notification service, as far as Do Not Disturb goes.
class StandInService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
    Q_PROPERTY(bool Inhibited READ inhibited)
public:
    explicit StandInService(const QDBusConnection& bus) : m_bus(bus) {}
    bool inhibited() const
    {
        ++reads;
        return m_inhibited;
    }
    mutable int reads = 0; // of the property
    void setInhibited(bool on)
    {
        m_inhibited = on;
        QDBusMessage changed = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        changed << QStringLiteral("org.freedesktop.Notifications")
                << QVariantMap{{QStringLiteral("Inhibited"), on}} << QStringList();
        QVERIFY(m_bus.send(changed));
    }

private:
    QDBusConnection m_bus;
    bool m_inhibited = false;
};

} // namespace

class TestX11ShowHold : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void fullScreenWindowHolds_data();
    void fullScreenWindowHolds();
    void doNotDisturbHolds_data();
    void doNotDisturbHolds();
    void noSourceNoHold();
};

void TestX11ShowHold::cleanup()
{
    xcb_delete_property(x(), root(), atom("_NET_ACTIVE_WINDOW"));
    xcb_flush(x());
}

void TestX11ShowHold::fullScreenWindowHolds_data()
{
    QTest::addColumn<bool>("choice");
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("held");
    QTest::newRow("chosen, full screen and active") << true << true << true << true;
    QTest::newRow("not chosen") << false << true << true << false;
    QTest::newRow("chosen, active window not full screen") << true << false << true << false;
    QTest::newRow("chosen, full-screen window not active") << true << true << false << false;
}

void TestX11ShowHold::fullScreenWindowHolds()
{
    QFETCH(bool, choice);
    QFETCH(bool, fullScreen);
    QFETCH(bool, active);
    QFETCH(bool, held);
    PauseRig rig(QDateTime::currentDateTime());
    QVERIFY(ShowHold::fullScreenAvailable());
    QVERIFY(rig.hold->setHoldWhileFullScreen(choice).ok());
    QWidget other;
    QWidget window;
    const auto id = xcb_window_t(window.winId());
    setStates(id, fullScreen ? QList<xcb_atom_t>{atom("_NET_WM_STATE_ABOVE"),
                                                 atom("_NET_WM_STATE_FULLSCREEN")}
                             : QList<xcb_atom_t>{atom("_NET_WM_STATE_ABOVE")});
    setActive(active ? id : xcb_window_t(other.winId()));
    rig.start();
    QCOMPARE(rig.beat(), held ? QString() : QStringLiteral("a"));
    // Skipped, not paused: the next beat comes an interval later.
    QVERIFY(rig.cycle->pacingClock().isActive());
    QVERIFY(!rig.hold->isPaused());
    if (!held)
        return;
    QCOMPARE(rig.beat(), QString());
    // The window leaves full screen: the next beat shows, the first message first.
    setStates(id, {});
    QCOMPARE(rig.beat(), QStringLiteral("a"));
    setStates(id, {atom("_NET_WM_STATE_FULLSCREEN")});
    QCOMPARE(rig.beat(), QString());
    // Another window becomes active.
    setActive(xcb_window_t(other.winId()));
    QCOMPARE(rig.beat(), QStringLiteral("b"));
}

void TestX11ShowHold::doNotDisturbHolds_data()
{
    QTest::addColumn<bool>("choice");
    QTest::newRow("chosen") << true;
    QTest::newRow("not chosen") << false;
}

void TestX11ShowHold::doNotDisturbHolds()
{
    QFETCH(bool, choice);
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"),
                  QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    QVERIFY2(daemon.waitForStarted(), "dbus-daemon (scripts/deps test)");
    while (!daemon.canReadLine())
        QVERIFY(daemon.waitForReadyRead(60000));
    const QString address = QString::fromUtf8(daemon.readLine().trimmed());
    // Named after the bus: a row that failed leaves nothing in the way of the next.
    const QString serviceName = "service " + address;
    const QString appName = "app " + address;
    {
        QDBusConnection serviceBus = QDBusConnection::connectToBus(address, serviceName);
        StandInService service(serviceBus);
        QVERIFY(serviceBus.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                          &service, QDBusConnection::ExportAllProperties));
        QVERIFY(serviceBus.registerService(QStringLiteral("org.freedesktop.Notifications")));
        service.setInhibited(true);

        PauseRig rig(QDateTime::currentDateTime(), QDBusConnection::connectToBus(address, appName));
        QVERIFY(rig.hold->setHoldDuringDoNotDisturb(choice).ok());
        QTRY_VERIFY_WITH_TIMEOUT(rig.hold->doNotDisturbAvailable(), 60000);
        QTRY_VERIFY_WITH_TIMEOUT(rig.doNotDisturb->isOn(), 60000);
        rig.start();
        const int reads = service.reads;
        QCOMPARE(rig.beat(), choice ? QString() : QStringLiteral("a"));
        QVERIFY(rig.cycle->pacingClock().isActive());
        if (choice) {
            // Do Not Disturb ends: the service says so, and the next beat shows. A beat does
            // not ask the service.
            QCOMPARE(service.reads, reads);
            service.setInhibited(false);
            QTRY_VERIFY_WITH_TIMEOUT(!rig.doNotDisturb->isOn(), 60000);
            QCOMPARE(rig.beat(), QStringLiteral("a"));
            service.setInhibited(true);
            QTRY_VERIFY_WITH_TIMEOUT(rig.doNotDisturb->isOn(), 60000);
            QCOMPARE(rig.beat(), QString());
        }
    }
    QDBusConnection::disconnectFromBus(serviceName);
    QDBusConnection::disconnectFromBus(appName);
    daemon.terminate();
    QVERIFY(daemon.waitForFinished(60000));
}

void TestX11ShowHold::noSourceNoHold()
{
    // No notification service, no GNOME setting: the choice is there, but nothing holds.
    PauseRig rig(QDateTime::currentDateTime());
    QTRY_VERIFY_WITH_TIMEOUT(rig.doNotDisturb->source() != DoNotDisturbWatch::Source::Unknown,
                             60000);
    QVERIFY(!rig.hold->doNotDisturbAvailable());
    QVERIFY(rig.hold->choices().HoldDuringDoNotDisturb);
    rig.start();
    QCOMPARE(rig.beat(), QStringLiteral("a"));
}

QTEST_MAIN(TestX11ShowHold)
#include "tst_x11_showhold.moc"

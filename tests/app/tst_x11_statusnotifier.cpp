// The real program on a desktop whose tray is a StatusNotifierItem host (the D-Bus protocol of
// most Linux desktops), driven through that protocol as the desktop's panel drives it. The suite
// starts a session bus of its own and a stand-in watcher that reports a host, runs the built
// program on that bus under the X server, clicks its icon, opens its menu and ends it.
#include "TestFiles.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDate>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/prctl.h>
#include <xcb/xcb.h>

using namespace TestFiles;

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kItem = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenu = QStringLiteral("com.canonical.dbusmenu");
constexpr int kStartMs = 60000; // a sanitized build starting on a busy machine
constexpr int kStepMs = 30000;

// A child that must not outlive the test, whatever way the test ends.
void dieWithParent(QProcess& child)
{
    child.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// The desktop's side of the protocol: the watcher that items register with. It reports a host,
// which is what makes Qt put a program's icon on D-Bus, and forgets an item whose service left.
class Watcher : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    explicit Watcher(const QDBusConnection& bus)
        : m_gone(QString(), bus, QDBusServiceWatcher::WatchForUnregistration)
    {
        connect(&m_gone, &QDBusServiceWatcher::serviceUnregistered, this,
                [this](const QString& service) {
                    m_gone.removeWatchedService(service);
                    if (m_items.removeAll(service) > 0)
                        emit StatusNotifierItemUnregistered(service);
                });
    }
    QStringList items() const { return m_items; }
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public slots:
    // An item names its service, or only its object path on the caller's connection.
    void RegisterStatusNotifierItem(const QString& serviceOrPath)
    {
        const QString service =
            serviceOrPath.startsWith(QLatin1Char('/')) ? message().service() : serviceOrPath;
        if (m_items.contains(service))
            return;
        m_items.append(service);
        m_gone.addWatchedService(service);
        emit StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierItemUnregistered(const QString& service);
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();

private:
    QDBusServiceWatcher m_gone;
    QStringList m_items;
};

// The X side: the program's main window as the screen has it, and the close a window manager
// sends it.
class XWindows
{
public:
    XWindows() : m_c(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_c))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        m_pid = atom("_NET_WM_PID");
        m_name = atom("_NET_WM_NAME");
        m_utf8 = atom("UTF8_STRING");
        m_protocols = atom("WM_PROTOCOLS");
        m_delete = atom("WM_DELETE_WINDOW");
    }
    ~XWindows() { xcb_disconnect(m_c); }
    bool connected() const { return m_root != 0; }

    // The mapped top-level window of the process with the main window's title, or 0.
    xcb_window_t mainWindow(qint64 pid)
    {
        xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(m_c, xcb_query_tree(m_c, m_root), nullptr);
        if (!tree)
            return 0;
        xcb_window_t found = 0;
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
            const xcb_window_t w = children[i];
            xcb_get_window_attributes_reply_t* attributes =
                xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, w), nullptr);
            const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            free(attributes);
            const QByteArray owner = property(w, m_pid, XCB_ATOM_CARDINAL);
            if (viewable && owner.size() == 4 &&
                *reinterpret_cast<const quint32*>(owner.constData()) == quint32(pid) &&
                property(w, m_name, m_utf8) == "Zentrivo v1.0")
                found = w;
        }
        free(tree);
        return found;
    }

    void close(xcb_window_t w)
    {
        xcb_client_message_event_t event = {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = w;
        event.type = m_protocols;
        event.data.data32[0] = m_delete;
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        xcb_flush(m_c);
    }

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, uint16_t(qstrlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return a;
    }
    QByteArray property(xcb_window_t w, xcb_atom_t name, xcb_atom_t type)
    {
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, w, name, type, 0, 256), nullptr);
        QByteArray bytes;
        if (reply)
            bytes = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        free(reply);
        return bytes;
    }

    xcb_connection_t* m_c;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pid = 0, m_name = 0, m_utf8 = 0, m_protocols = 0, m_delete = 0;
};

struct MenuEntry
{
    int id;
    QString label;
};

// The visible items of a dbusmenu layout `(ia{sv}av)` below its root, separators left out.
void readLayout(const QDBusArgument& node, QList<MenuEntry>& entries, bool isRoot)
{
    int id = 0;
    QVariantMap properties;
    node.beginStructure();
    node >> id >> properties;
    if (!isRoot && properties.value(QStringLiteral("visible"), true).toBool() &&
        properties.value(QStringLiteral("type")).toString() != QLatin1String("separator"))
        entries.append({id, properties.value(QStringLiteral("label")).toString()});
    node.beginArray();
    while (!node.atEnd()) {
        QDBusVariant child;
        node >> child;
        readLayout(child.variant().value<QDBusArgument>(), entries, false);
    }
    node.endArray();
    node.endStructure();
}

} // namespace

class TestStatusNotifier : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void theIconHasTheTipAndTheMenu();
    void theWindowComesBack_data();
    void theWindowComesBack();
    void theIconGoesWithTheProgram_data();
    void theIconGoesWithTheProgram();

private:
    QString startInTray();
    QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments = {});
    QVariant property(const QString& service, const QString& path, const QString& interface,
                      const QString& name);
    QString menuPath(const QString& service);
    QList<MenuEntry> menuOf(const QString& service);
    int menuId(const QString& service, const QString& label);
    bool ownedByProgram(const QString& service);
    QString programLog() const;

    QTemporaryDir m_busDir;
    QProcess m_daemon;
    QString m_address;
    QDBusConnection m_bus{QString()};
    std::unique_ptr<Watcher> m_watcher;
    XWindows m_x;
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_program;
};

void TestStatusNotifier::initTestCase()
{
    QVERIFY2(m_x.connected(), "the suite needs an X server");
    QVERIFY2(QFileInfo(qEnvironmentVariable("ZENTRIVO_EXECUTABLE")).isExecutable(),
             "ZENTRIVO_EXECUTABLE names the built program (ctest sets it)");

    // A session bus of the suite's own: no service on it starts by activation, and nothing of
    // the user's desktop answers on it.
    QVERIFY(m_busDir.isValid());
    const QString config = m_busDir.filePath(QStringLiteral("bus.conf"));
    writeFile(config, QStringLiteral("<busconfig>\n"
                                     "  <type>session</type>\n"
                                     "  <listen>unix:dir=%1</listen>\n"
                                     "  <auth>EXTERNAL</auth>\n"
                                     "  <policy context=\"default\">\n"
                                     "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                                     "    <allow eavesdrop=\"true\"/>\n"
                                     "    <allow own=\"*\"/>\n"
                                     "  </policy>\n"
                                     "</busconfig>\n")
                          .arg(m_busDir.path())
                          .toUtf8());
    dieWithParent(m_daemon);
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                    QStringLiteral("--print-address")});
    QVERIFY2(m_daemon.waitForStarted(kStepMs), "dbus-daemon is needed");
    const QDeadlineTimer deadline(kStepMs);
    while (!m_daemon.canReadLine() && m_daemon.state() == QProcess::Running &&
           !deadline.hasExpired())
        m_daemon.waitForReadyRead(100);
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    QVERIFY2(!m_address.isEmpty(), m_daemon.readAllStandardError().constData());

    m_bus = QDBusConnection::connectToBus(m_address, QStringLiteral("desktop"));
    QVERIFY2(m_bus.isConnected(), qPrintable(m_bus.lastError().message()));
    m_watcher = std::make_unique<Watcher>(m_bus);
    QVERIFY(m_bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), m_watcher.get(),
                                 QDBusConnection::ExportAllSlots |
                                     QDBusConnection::ExportAllSignals |
                                     QDBusConnection::ExportAllProperties));
    QVERIFY(m_bus.registerService(kWatcher));
}

void TestStatusNotifier::cleanupTestCase()
{
    m_watcher.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("desktop"));
    m_daemon.kill();
    m_daemon.waitForFinished(kStepMs);
}

void TestStatusNotifier::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestStatusNotifier::cleanup()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished(kStepMs);
    }
    if (QTest::currentTestFailed())
        qWarning().noquote() << "the program's output:\n" << programLog();
    // The next test starts with no item of this one left.
    QTRY_VERIFY_WITH_TIMEOUT(m_watcher->items().isEmpty(), kStepMs);
    m_dir.reset();
}

QString TestStatusNotifier::programLog() const
{
    return m_dir ? QString::fromUtf8(readFile(m_dir->filePath(QStringLiteral("program.log"))))
                 : QString();
}

// The program from a copy of the built executable with a library of its own, launched at log-on
// with "Start at system tray" ticked and the show off: it goes straight to the tray. Returns the
// service its icon registered.
QString TestStatusNotifier::startInTray()
{
    const QString root = m_dir->path();
    const QString app = root + QStringLiteral("/app");
    QDir().mkpath(app);
    if (!QFile::copy(qEnvironmentVariable("ZENTRIVO_EXECUTABLE"), app + "/zentrivo"))
        return QString();
    writeFile(app + "/plugins/Calm.txt", rec("breathe"));
    writeFile(app + "/FileNames.txt", rec("Calm"));

    const auto b64 = [](const QByteArray& text) {
        return text.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    };
    writeFile(root + "/config/zentrivo/zentrivo.ini",
              "[Settings]\nAutoDisplay=False\nDispDuration=2\nDispInterval=1\nFontBold=False\n"
              "FontColor=0\nFontItalic=False\nFontName=Verdana\nFontSize=10\nRandomLocation=0\n"
              "RandomMessage=0\nRunAtSysTray=True\nStrikethrough=False\nUnderline=False\n\n"
              "[Update]\n" +
                  b64("LastUpdate") + '=' +
                  b64(QDate::currentDate().toString(Qt::ISODate).toLatin1()) + '\n');
    writeFile(root + "/config/autostart/zentrivo.desktop",
              "[Desktop Entry]\nType=Application\nName=zentrivo\nExec=zentrivo /STARTUP\n");
    // The thank-you page at the exit goes to a browser that only writes it down.
    writeFile(root + "/bin/xdg-open", "#!/bin/sh\necho \"$1\" >>\"$0.log\"\n");
    QFile::setPermissions(root + "/bin/xdg-open", QFile::ReadOwner | QFile::ExeOwner);
    QDir().mkpath(root + "/runtime");
    QFile::setPermissions(root + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir().mkpath(root + "/home");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + "/config");
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + "/runtime");
    env.insert(QStringLiteral("HOME"), root + "/home");
    env.insert(QStringLiteral("PATH"), root + "/bin:" + env.value(QStringLiteral("PATH")));
    m_program.setProcessEnvironment(env);
    m_program.setProcessChannelMode(QProcess::MergedChannels);
    m_program.setStandardOutputFile(root + "/program.log");
    dieWithParent(m_program);
    m_program.start(app + "/zentrivo", {QStringLiteral("/STARTUP")});
    if (!m_program.waitForStarted(kStepMs))
        return QString();

    QDeadlineTimer deadline(kStartMs);
    while (m_watcher->items().isEmpty() && m_program.state() == QProcess::Running &&
           !deadline.hasExpired())
        QTest::qWait(50);
    return m_watcher->items().value(0);
}

QDBusMessage TestStatusNotifier::call(const QString& service, const QString& path,
                                      const QString& interface, const QString& method,
                                      const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return m_bus.call(message, QDBus::Block, kStepMs);
}

QVariant TestStatusNotifier::property(const QString& service, const QString& path,
                                      const QString& interface, const QString& name)
{
    const QDBusMessage reply =
        call(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
             QStringLiteral("Get"), {interface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return QVariant();
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

QString TestStatusNotifier::menuPath(const QString& service)
{
    return property(service, kItemPath, kItem, QStringLiteral("Menu"))
        .value<QDBusObjectPath>()
        .path();
}

QList<MenuEntry> TestStatusNotifier::menuOf(const QString& service)
{
    const QDBusMessage layout = call(service, menuPath(service), kMenu, QStringLiteral("GetLayout"),
                                     {0, -1, QStringList()});
    QList<MenuEntry> entries;
    if (layout.type() == QDBusMessage::ReplyMessage && layout.arguments().size() == 2)
        readLayout(layout.arguments().at(1).value<QDBusArgument>(), entries, true);
    return entries;
}

int TestStatusNotifier::menuId(const QString& service, const QString& label)
{
    for (const MenuEntry& entry : menuOf(service)) {
        if (entry.label == label)
            return entry.id;
    }
    return -1;
}

// The service is there, and it is the program's own connection that holds it.
bool TestStatusNotifier::ownedByProgram(const QString& service)
{
    const QDBusReply<uint> pid = m_bus.interface()->servicePid(service);
    return pid.isValid() && qint64(pid.value()) == m_program.processId();
}

// Hovering the icon shows "Recent"; its menu holds "Show" first and "Exit" last.
void TestStatusNotifier::theIconHasTheTipAndTheMenu()
{
    const QString service = startInTray();
    QVERIFY2(!service.isEmpty(), "the program registered no icon");
    QVERIFY(ownedByProgram(service));
    QCOMPARE(m_watcher->items().size(), 1);
    QCOMPARE(m_x.mainWindow(m_program.processId()), xcb_window_t(0));

    // ToolTip is (icon name, icon pixmaps a(iiay), title, text).
    const QDBusArgument tip =
        property(service, kItemPath, kItem, QStringLiteral("ToolTip")).value<QDBusArgument>();
    QString iconName, title, text;
    tip.beginStructure();
    tip >> iconName;
    tip.beginArray();
    while (!tip.atEnd()) {
        int width = 0, height = 0;
        QByteArray pixels;
        tip.beginStructure();
        tip >> width >> height >> pixels;
        tip.endStructure();
    }
    tip.endArray();
    tip >> title >> text;
    tip.endStructure();
    QCOMPARE(title, QStringLiteral("Recent"));

    QStringList labels;
    for (const MenuEntry& entry : menuOf(service))
        labels << entry.label;
    // The pause and hold commands and the monitor choice (its options after it) lie between
    // the two (a shown window has the show stopped, and "Resume" is there only during a pause).
    QCOMPARE(
        labels,
        QStringList({QStringLiteral("Show"), QStringLiteral("Pause for 15 minutes"),
                     QStringLiteral("Pause for 1 hour"), QStringLiteral("Pause until I resume"),
                     QStringLiteral("Hold while a full-screen window is active"),
                     QStringLiteral("Hold during Do Not Disturb"),
                     QStringLiteral("Show messages on"), QStringLiteral("The primary monitor"),
                     QStringLiteral("The monitor with the mouse pointer"),
                     QStringLiteral("Every monitor"), QStringLiteral("Exit")}));
}

void TestStatusNotifier::theWindowComesBack_data()
{
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("a click on the icon (Activate)") << false;
    QTest::newRow("the menu's Show") << true;
}

// From the tray the window comes back, and the icon goes while it is shown. Sent to the tray
// and brought back again, the program keeps one icon.
void TestStatusNotifier::theWindowComesBack()
{
    QFETCH(bool, byMenu);
    QVERIFY2(!startInTray().isEmpty(), "the program registered no icon");
    const qint64 pid = m_program.processId();
    for (int round = 1; round <= 2; ++round) {
        // Each time in the tray the icon may come on a connection of its own.
        QCOMPARE(m_watcher->items().size(), 1);
        const QString service = m_watcher->items().constFirst();
        QVERIFY(ownedByProgram(service));
        QCOMPARE(m_x.mainWindow(pid), xcb_window_t(0));

        QDBusMessage reply;
        if (byMenu) {
            const int show = menuId(service, QStringLiteral("Show"));
            QVERIFY(show >= 0);
            reply =
                call(service, menuPath(service), kMenu, QStringLiteral("Event"),
                     {show, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
        } else {
            reply = call(service, kItemPath, kItem, QStringLiteral("Activate"), {0, 0});
        }
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        QTRY_VERIFY_WITH_TIMEOUT(m_x.mainWindow(pid) != 0, kStepMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_watcher->items().isEmpty(), kStepMs);

        // Closing the window sends it to the tray.
        m_x.close(m_x.mainWindow(pid));
        QTRY_COMPARE_WITH_TIMEOUT(m_watcher->items().size(), 1, kStepMs);
        QTRY_COMPARE_WITH_TIMEOUT(m_x.mainWindow(pid), xcb_window_t(0), kStepMs);
    }
    QCOMPARE(m_watcher->items().size(), 1);
    QCOMPARE(m_program.state(), QProcess::Running);
}

void TestStatusNotifier::theIconGoesWithTheProgram_data()
{
    QTest::addColumn<int>("signal"); // 0: the menu's Exit
    QTest::newRow("the menu's Exit") << 0;
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP (the terminal closed)") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

// However the program ends, it ends as its own exit does, and its icon leaves the tray.
void TestStatusNotifier::theIconGoesWithTheProgram()
{
    QFETCH(int, signal);
    const QString service = startInTray();
    QVERIFY2(!service.isEmpty(), "the program registered no icon");
    if (signal == 0) {
        const int exit = menuId(service, QStringLiteral("Exit"));
        QVERIFY(exit >= 0);
        const QDBusMessage reply =
            call(service, menuPath(service), kMenu, QStringLiteral("Event"),
                 {exit, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    } else {
        QVERIFY(::kill(pid_t(m_program.processId()), signal) == 0);
    }
    QVERIFY2(m_program.waitForFinished(kStepMs), "the program did not end");
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!m_bus.interface()->isServiceRegistered(service).value(), kStepMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_watcher->items().isEmpty(), kStepMs);
    // It left as its own exit leaves: the thank-you page was handed to the browser.
    QTRY_VERIFY_WITH_TIMEOUT(readFile(m_dir->filePath(QStringLiteral("bin/xdg-open.log")))
                                 .startsWith("https://zentrivo.example/"),
                             kStepMs);
}

QTEST_GUILESS_MAIN(TestStatusNotifier)
#include "tst_x11_statusnotifier.moc"

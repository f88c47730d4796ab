#include "ui/TrayPresence.h"

#include "core/Prompt.h"
#include "display/ShowHold.h"
#include "ui/Pictures.h"

#include <QActionGroup>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#ifdef ZENTRIVO_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#endif

namespace {
// Whether Qt hosts the icon as a StatusNotifierItem on D-Bus rather than in an XEmbed tray.
// Qt's Unix platform themes choose it when a StatusNotifierWatcher on the session bus reports
// a host registered; they ask once, when the first icon is made, and keep the answer for the
// rest of the process. Asked the same way at the same moment, this gives the same answer.
bool iconOnStatusNotifierHost()
{
#ifdef ZENTRIVO_HAVE_DBUS
    static const bool onHost = [] {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return false;
        const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
        QDBusMessage get = QDBusMessage::createMethodCall(
            watcher, QStringLiteral("/StatusNotifierWatcher"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
        const QDBusReply<QDBusVariant> reply = bus.call(get);
        return reply.isValid() && reply.value().variant().toBool();
    }();
    return onHost;
#else
    return false;
#endif
}
} // namespace

TrayPresence::TrayPresence(QWidget& window) : QObject(&window), m_window(window)
{
    m_menu = new QMenu(&window);
    m_show = m_menu->addAction(QStringLiteral("Show"));
    m_exit = m_menu->addAction(QStringLiteral("Exit"));
    m_menu->setDefaultAction(m_show);
    connect(m_show, &QAction::triggered, this, &TrayPresence::showRequested);
    connect(m_exit, &QAction::triggered, this, &TrayPresence::exitRequested);

    m_icon = new QSystemTrayIcon(Pictures::programIcon(), this);
    m_icon->setToolTip(QStringLiteral("Recent"));
    // The menu pops up on the right button; a left double-click means "Show"; a single
    // left click does nothing. A StatusNotifierItem host tells only that the icon was
    // activated (a left click, or whatever the desktop makes of it), never a double-click:
    // there the activation means "Show", or the icon would never bring the window back.
    m_icon->setContextMenu(m_menu);
    const bool activationShows = iconOnStatusNotifierHost();
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this, activationShows](QSystemTrayIcon::ActivationReason r) {
                if (r == QSystemTrayIcon::DoubleClick ||
                    (activationShows && r == QSystemTrayIcon::Trigger))
                    emit showRequested();
            });

    m_watch = new QTimer(this);
    m_watch->setInterval(5000);
    m_watch->setTimerType(Qt::VeryCoarseTimer);
    connect(m_watch, &QTimer::timeout, this, [this] {
        // A tray has appeared since the window was minimised for want of one: move there.
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            return;
        m_watch->stop();
        if (m_window.isMinimized())
            sendToTray();
    });
}

void TrayPresence::sendToTray()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Without a tray a hidden window could never be brought back: keep it in the
        // taskbar, and move to the tray once one appears.
        centreOnScreen();
        m_window.showMinimized();
        m_watch->start();
        return;
    }
    m_icon->show(); // a second send leaves the one icon as it is
    // A window that has never been on the screen (a log-on launch, a show left running) has
    // no native window, and needs none in the tray: it stays as it is, hidden. Minimising
    // would make one, with the program's icon drawn at every size for it.
    if (m_window.testAttribute(Qt::WA_WState_Created))
        m_window.setWindowState(m_window.windowState() | Qt::WindowMinimized);
    m_window.hide();
}

bool TrayPresence::isInTray() const
{
    return m_icon->isVisible() && !m_window.isVisible();
}

void TrayPresence::bringBack()
{
    m_watch->stop();
    centreOnScreen();
    m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
    m_icon->hide();
}

void TrayPresence::centreOnScreen()
{
    if (m_centred)
        return;
    m_centred = true;
    m_window.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QSize size = m_window.frameGeometry().size();
        m_window.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
}

void TrayPresence::leave()
{
    m_watch->stop();
    m_icon->hide();
}

void TrayPresence::offerHold(ShowHold& hold)
{
    m_hold = &hold;
    const auto add = [this](const QString& caption) {
        auto* action = new QAction(caption, m_menu);
        m_menu->insertAction(m_exit, action);
        return action;
    };
    m_menu->insertSeparator(m_exit);
    QAction* const pauses[] = {add(QStringLiteral("Pause for 15 minutes")),
                               add(QStringLiteral("Pause for 1 hour")),
                               add(QStringLiteral("Pause until I resume"))};
    QAction* resume = add(QStringLiteral("Resume"));
    m_menu->insertSeparator(m_exit);
    QAction* fullScreen = add(QStringLiteral("Hold while a full-screen window is active"));
    QAction* doNotDisturb = add(QStringLiteral("Hold during Do Not Disturb"));
    auto* monitors = new QMenu(QStringLiteral("Show messages on"), m_menu);
    m_menu->insertMenu(m_exit, monitors);
    m_menu->insertSeparator(m_exit);

    using std::chrono::minutes;
    connect(pauses[0], &QAction::triggered, &hold, [&hold] { hold.pauseFor(minutes(15)); });
    connect(pauses[1], &QAction::triggered, &hold, [&hold] { hold.pauseFor(minutes(60)); });
    connect(pauses[2], &QAction::triggered, &hold, &ShowHold::pauseUntilResumed);
    connect(resume, &QAction::triggered, &hold, &ShowHold::resume);
    const auto followPause = [this, pauses, resume, &hold] {
        const bool showing = hold.isShowing();
        for (QAction* pause : pauses)
            pause->setEnabled(showing);
        resume->setVisible(hold.isPaused());
        const QString words = hold.pauseWords();
        m_icon->setToolTip(words.isEmpty() ? QStringLiteral("Recent")
                                           : QStringLiteral("Recent - ") + words);
    };
    connect(&hold, &ShowHold::pauseChanged, this, followPause);
    followPause();

    // A choice that could not be stored is told, and its tick goes back.
    const auto choice = [this](QAction* action, bool ticked, auto set) {
        action->setCheckable(true);
        action->setChecked(ticked);
        connect(action, &QAction::toggled, this, [this, action, set](bool on) {
            const Outcome stored = set(on);
            if (stored.ok())
                return;
            const QSignalBlocker quiet(action);
            action->setChecked(!on);
            tellNotStored(stored);
        });
    };
    choice(fullScreen, hold.choices().HoldWhileFullScreen,
           [&hold](bool on) { return hold.setHoldWhileFullScreen(on); });
    choice(doNotDisturb, hold.choices().HoldDuringDoNotDisturb,
           [&hold](bool on) { return hold.setHoldDuringDoNotDisturb(on); });
    offerMonitors(*monitors, hold);
    fullScreen->setEnabled(ShowHold::fullScreenAvailable());
    // Shown disabled until the desktop has told whether it has a Do Not Disturb.
    const auto followDesktop = [doNotDisturb, &hold] {
        doNotDisturb->setEnabled(hold.doNotDisturbAvailable());
    };
    connect(&hold, &ShowHold::doNotDisturbFound, this, followDesktop);
    followDesktop();
}

// The tick goes with the choice in force: one that could not be stored is told, and the tick
// goes back.
void TrayPresence::offerMonitors(QMenu& menu, ShowHold& hold)
{
    auto* group = new QActionGroup(&menu);
    group->setExclusive(true);
    const std::pair<const char*, int> options[] = {
        {"The primary monitor", ShowChoices::PrimaryMonitor},
        {"The monitor with the mouse pointer", ShowChoices::PointerMonitor},
        {"Every monitor", ShowChoices::EveryMonitor}};
    for (const auto& [caption, monitors] : options) {
        QAction* option = menu.addAction(QString::fromLatin1(caption));
        option->setCheckable(true);
        option->setData(monitors);
        option->setChecked(hold.choices().ShowMessagesOn == monitors);
        group->addAction(option);
    }
    connect(group, &QActionGroup::triggered, this, [this, group, &hold](QAction* option) {
        if (const Outcome stored = hold.setShowMessagesOn(option->data().toInt()); !stored.ok())
            tellNotStored(stored);
        for (QAction* each : group->actions())
            each->setChecked(hold.choices().ShowMessagesOn == each->data().toInt());
    });
}

void TrayPresence::tellNotStored(const Outcome& stored)
{
    Prompt::current().ask(QStringLiteral("The choice could not be saved to the file \"%1\".\n%2")
                              .arg(QDir::toNativeSeparators(m_hold->storeFileName()), stored.why()),
                          Prompt::Icon::Critical, Prompt::Buttons::Ok);
}

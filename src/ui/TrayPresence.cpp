#include "ui/TrayPresence.h"

#include "ui/Pictures.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

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
    // left click does nothing.
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick)
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

#pragma once

#include <QObject>

class Outcome;
class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QWidget;
class ShowHold;

// Where the main window is: on the screen, minimised in the taskbar, or hidden with the
// program's icon in the tray. The icon is shown only while the window is away.
class TrayPresence : public QObject
{
    Q_OBJECT
public:
    explicit TrayPresence(QWidget& window);

    QSystemTrayIcon* icon() const { return m_icon; }
    // The icon's menu `mnuPopUp`: "Show" (`mnuPop`, also a left double-click, or on a
    // StatusNotifierItem host the icon's activation) and "Exit" (`mnuExit1`). They only
    // announce the request; the main window acts on it.
    QMenu* menu() const { return m_menu; }
    QAction* showCommand() const { return m_show; }
    QAction* exitCommand() const { return m_exit; }

    // Adds, between "Show" and "Exit", the pause commands ("Pause for 15 minutes", "Pause for
    // 1 hour", "Pause until I resume", and "Resume" while paused; the pauses only while the
    // show runs), the two hold choices as ticks, and the submenu "Show messages on" with its
    // three options. The tip then tells a pause's end: "Recent - paused until 14:35".
    void offerHold(ShowHold& hold);

    void sendToTray();
    bool isInTray() const;
    // Restored, raised and active, with the icon gone.
    void bringBack();
    // The first showing places the window in the middle of the screen; later ones leave it
    // where the user put it.
    void centreOnScreen();
    // The program ends: the icon goes and no tray is waited for any more.
    void leave();

signals:
    void showRequested();
    void exitRequested();

private:
    void offerMonitors(QMenu& menu, ShowHold& hold);
    void tellNotStored(const Outcome& stored);

    QWidget& m_window;
    QMenu* m_menu = nullptr;
    QAction* m_show = nullptr;
    QAction* m_exit = nullptr;
    QSystemTrayIcon* m_icon = nullptr;
    QTimer* m_watch = nullptr; // only while minimised for want of a tray
    ShowHold* m_hold = nullptr;
    bool m_centred = false;
};

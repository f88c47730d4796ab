#pragma once

#include "settings/DisplaySettings.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>

class AboutPage;
class GoalsPage;
class ImageButton;
class MessageFontDialog;
class ProgramsPage;
class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class SettingsPage;
class SettingsStore;
class ShowCycle;

// The main window `frmAll`: four pages stacked in one rectangle, a toolbar, a menu bar, the
// show's start/stop buttons, and the tray icon. It lives for the whole run and owns all lasting
// state; the program ends when it is unloaded and no window is left.
class FrmAll : public QMainWindow
{
    Q_OBJECT
public:
    explicit FrmAll(SettingsStore& store, QWidget* parent = nullptr);
    ~FrmAll() override;

    // What start-up asks of the rest of the program.
    struct StartupHooks
    {
        // True when another instance runs and was asked to come forward: this one ends.
        std::function<bool()> handOverToRunningInstance;
        std::function<void()> remindToUpdate;
    };
    StartupHooks hooks;

    // The start-up sequence. False when the program ends right away (another instance runs,
    // the library is missing, or it was told to end while a box of start-up was open); the
    // caller must then not enter the event loop.
    bool Form_Load(const QStringList& arguments);

    // Brings a page to the front; the page that was in front stays directly behind it. The
    // keyboard focus goes into the page in front.
    void ShowPage(QWidget* page);
    QWidget* frontPage() const;

    // Closing and leaving. Reason 0 is a close from the title bar; any other reason ends the
    // program.
    void Form_QueryUnload(bool& cancel, int reason);
    void Form_Unload();
    void Unload(int reason = 1);
    // The desktop session ends or the process was asked to terminate: leave at once, closing
    // any open dialog, with no box shown from then on.
    void EndSession();
    bool isUnloaded() const { return m_unloaded; }

    void SendToTray();
    void RemoveTrayIcon();
    bool isInTray() const;
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    // Show the window again, restored, raised and active (tray "Show", a second launch).
    void mnuPop_Click();

    void cmdLoadSettings_Click();
    void cmdSaveSettings_Click();
    void cmdFont_Click();
    void picExit1_Click();
    void cmdExit_Click();

    SettingsStore& store() const { return m_store; }
    DisplaySettings settings;

    ProgramsPage* Picture2;
    GoalsPage* Picture1;
    SettingsPage* Picture3;
    AboutPage* picAbout;

    ImageButton* picPrograms2;
    ImageButton* picGoals;
    ImageButton* picSettings;
    ImageButton* picHelp;
    ImageButton* picExit1;
    ImageButton* picStart;

    // Commands without a picture of their own; the show keeps its state in the captions of
    // cmdStart and cmdNext.
    QAction* cmdExit;
    QAction* cmdStart;
    QAction* cmdNext;
    QAction* cmdFont;

    QMenu* mnuFile;
    QAction* mnuExit;
    QMenu* mnuHelp;
    QAction* mnuOnline;
    QAction* mnuVisit;
    QAction* mnuAbout;
    QMenu* mnuPopUp;
    QAction* mnuPop;
    QAction* mnuExit1;

    ShowCycle* showCycle;
    MessageFontDialog* CDB;

signals:
    // The main window is gone; the program ends once no window of it is left.
    void unloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* command(const QString& caption);
    void buildMenus();
    void buildTray();
    void centreOnScreen();
    void frontChanged();

    SettingsStore& m_store;
    QWidget* m_client = nullptr;
    QList<QWidget*> m_pageOrder; // back to front
    // Where the focus was on each page when another page came in front of it.
    QHash<QWidget*, QPointer<QWidget>> m_focusInPage;
    QSystemTrayIcon* m_tray = nullptr;
    QTimer* m_trayWatch = nullptr; // only while minimised for want of a tray
    bool m_settingsLoaded = false;
    bool m_unloading = false;
    bool m_unloaded = false;
    bool m_thankYouOpened = false;
    bool m_centred = false;
};

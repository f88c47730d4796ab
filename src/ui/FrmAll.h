#pragma once

#include "settings/DisplaySettings.h"
#include "ui/SettingsKeeper.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class AboutPage;
class GoalsPage;
class ImageButton;
class MessageFontDialog;
class PageStack;
class ProgramsPage;
class QAction;
class QMenu;
class QMenuBar;
class QSystemTrayIcon;
class SettingsPage;
class SettingsStore;
class ShowCycle;
class TrayPresence;

// The main window `frmAll`: four pages stacked in one rectangle, a toolbar, a menu bar, the
// show's start/stop buttons, and the tray icon. It lives for the whole run and owns all lasting
// state; the program ends when it is unloaded and no window is left. What only the shown window
// needs (pages, toolbar, menu bar) is made when the window is first shown: a program that
// starts into the tray, as it does at every log-on, carries none of it until the user asks for
// the window. It is a plain widget, its menu bar above the client area in a layout of its
// own: a main-window class would bring its dock, toolbar and animation machinery into memory
// for a window that has none of them, and keep it there while the program sits in the tray.
class FrmAll : public QWidget
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
    // The page in front; none before the window was first shown.
    QWidget* frontPage() const;

    // The end of the program, whichever command asks for it (the exit command, the File and
    // tray menus' Exit, the exit question's Yes, the end of the session): the settings are
    // stored, the thank-you page opens, the window and its tray icon go, and unloaded() is
    // announced. Only the first request acts. A close from the title bar is no end: it sends
    // the window to the tray (closeEvent).
    void Unload();
    // The desktop session ends or the process was asked to terminate: leave at once, closing
    // any open dialog, with no box shown from then on.
    void EndSession();
    bool isUnloaded() const { return m_unloaded; }

    // The menu bar and the client area below it: null until the window is first shown.
    QMenuBar* menuBar() const { return m_menuBar; }
    QWidget* centralWidget() const { return m_client; }

    void SendToTray();
    bool isInTray() const;
    QSystemTrayIcon* trayIcon() const;
    TrayPresence* tray() const { return m_tray; }
    // Show the window again, restored, raised and active (tray "Show", a second launch).
    void mnuPop_Click();

    void cmdLoadSettings_Click();
    void cmdSaveSettings_Click();
    void cmdFont_Click();
    void picExit1_Click();
    void cmdExit_Click();

    SettingsStore& store() const { return m_store; }
    DisplaySettings settings;

    // The pages, the toolbar and the menu bar: null until the window is first shown. The
    // pages' objectNames are the old ones (Picture2, Picture1, Picture3).
    ProgramsPage* programsPage = nullptr;
    GoalsPage* goalsPage = nullptr;
    SettingsPage* settingsPage = nullptr;
    AboutPage* picAbout = nullptr;

    ImageButton* picPrograms2 = nullptr;
    ImageButton* picGoals = nullptr;
    ImageButton* picSettings = nullptr;
    ImageButton* picHelp = nullptr;
    ImageButton* picExit1 = nullptr;
    ImageButton* picStart = nullptr;

    // Commands without a picture of their own. The captions of cmdStart and cmdNext follow
    // the show: they say what a press does next.
    QAction* cmdExit;
    QAction* cmdStart;
    QAction* cmdNext;
    QAction* cmdFont;

    QMenu* mnuFile = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuOnline = nullptr;
    QAction* mnuVisit = nullptr;
    QAction* mnuAbout = nullptr;
    QMenu* mnuPopUp;
    QAction* mnuPop;
    QAction* mnuExit1;

    ShowCycle* showCycle;
    // The font dialog, made when it is first needed: a program that sits in the tray does not
    // carry it (nor the list of every font face in it).
    MessageFontDialog* fontDialog();

    // Every way of showing the window makes its contents first.
    void setVisible(bool visible) override;

signals:
    // The main window is gone; the program ends once no window of it is left.
    void unloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // What start-up read for the pages while they were not made yet.
    struct StartRead;

    QAction* command(const QString& caption);
    // Makes the pages, the toolbar and the menu bar, showing what start-up has read so far.
    void buildWindow();
    // Keeps the program list in step with the library files from now on.
    void followProgramList(bool readAtStart);
    void buildMenus();
    // Captions and pictures of the start/stop controls.
    void followShow(bool showing);

    SettingsStore& m_store;
    SettingsKeeper m_keeper;
    std::unique_ptr<StartRead> m_startRead;
    QWidget* m_client = nullptr;
    QMenuBar* m_menuBar = nullptr;
    PageStack* m_pages = nullptr;
    TrayPresence* m_tray = nullptr;
    MessageFontDialog* CDB = nullptr;
    bool m_settingsLoaded = false;
    bool m_leaving = false; // Unload has begun; it runs once
    bool m_unloaded = false;
};

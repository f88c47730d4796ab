#include "ui/FrmAll.h"

#include "core/AppFolder.h"
#include "core/ProgramEnd.h"
#include "core/ProgramTitle.h"
#include "core/Prompt.h"
#include "display/ShowCycle.h"
#include "library/LibraryFiles.h"
#include "library/LibraryWatch.h"
#include "settings/MessageFontDialog.h"
#include "ui/AboutPage.h"
#include "ui/ClientArea.h"
#include "ui/GoalsPage.h"
#include "ui/ImageButton.h"
#include "ui/PageStack.h"
#include "ui/Palette.h"
#include "ui/Pictures.h"
#include "ui/ProgramsFollower.h"
#include "ui/ProgramsPage.h"
#include "ui/SettingsPage.h"
#include "ui/TrayPresence.h"
#include "ui/WebPages.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <optional>
#include <utility>

namespace {
// The captions of the commands that start and stop the show: what they do next.
const QString kStartCaption = QStringLiteral("Start Showing Subliminal Messages");
const QString kStopCaption = QStringLiteral("Stop");

// Assistive technologies are told that the main window is a window, as a main-window class
// would tell them.
QAccessibleInterface* accessibleMainWindow(const QString& className, QObject* object)
{
    if (className == QLatin1String("FrmAll") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}
} // namespace

struct FrmAll::StartRead
{
    std::optional<GoalsPage::Goals> goals;
    bool programsInFront = false;
    std::optional<ProgramListRead::Read> programs;
};

FrmAll::FrmAll(SettingsStore& store, QWidget* parent)
    : QWidget(parent), m_store(store), m_keeper(settings, store),
      m_startRead(std::make_unique<StartRead>())
{
    static const bool accessible = (QAccessible::installFactory(accessibleMainWindow), true);
    (void)accessible;
    setObjectName(QStringLiteral("frmAll"));
    setWindowTitle(programTitle());
    setWindowIcon(Pictures::programIcon());
    QFont font(Palette::fontFamily);
    font.setPointSizeF(8);
    setFont(font);

    cmdExit = command(QStringLiteral("E&xit Program"));
    cmdStart = command(kStartCaption);
    cmdNext = command(kStartCaption);
    cmdFont = command(QStringLiteral("Font"));

    showCycle = new ShowCycle(settings, m_store, AppFolder::path(), this);
    // Every press stores the settings first; a start sends the window away as a close from
    // its title bar does, also when the show could not start.
    connect(showCycle, &ShowCycle::aboutToToggle, this, &FrmAll::cmdSaveSettings_Click);
    connect(showCycle, &ShowCycle::showingChanged, this, &FrmAll::followShow);
    connect(showCycle, &ShowCycle::startPressed, this, &FrmAll::SendToTray);
    connect(cmdStart, &QAction::triggered, showCycle, &ShowCycle::cmdStart_Click);
    connect(cmdNext, &QAction::triggered, showCycle, &ShowCycle::cmdNext_Click);
    connect(cmdExit, &QAction::triggered, this, &FrmAll::cmdExit_Click);
    connect(cmdFont, &QAction::triggered, this, &FrmAll::cmdFont_Click);

    m_tray = new TrayPresence(*this);
    mnuPopUp = m_tray->menu();
    mnuPop = m_tray->showCommand();
    mnuExit1 = m_tray->exitCommand();
    connect(m_tray, &TrayPresence::showRequested, this, &FrmAll::mnuPop_Click);
    connect(m_tray, &TrayPresence::exitRequested, this, &FrmAll::Unload);
    qApp->installEventFilter(this);
}

void FrmAll::followProgramList(bool readAtStart)
{
    auto* follower =
        new ProgramsFollower(*programsPage, new LibraryWatch(LibraryFiles(AppFolder::path())));
    // A list read at start, well before the page was made, is brought up to date.
    if (readAtStart)
        follower->followLibrary(true, {});
}

void FrmAll::buildWindow()
{
    if (m_client)
        return;
    m_client = new ClientArea(this);

    // The pages share one rectangle; the one in front covers the other three.
    const QRect pageRect(8, 84, 553, 311);
    programsPage = new ProgramsPage(LibraryFiles(AppFolder::path()), m_client);
    goalsPage = new GoalsPage(AppFolder::path(), m_client);
    settingsPage = new SettingsPage(m_keeper, m_client);
    picAbout = new AboutPage(m_client);
    const QList<QWidget*> pages{programsPage, goalsPage, settingsPage, picAbout};
    for (QWidget* page : pages)
        page->setGeometry(pageRect);

    picPrograms2 = new ImageButton(QStringLiteral("programs"), m_client);
    picPrograms2->move(280, 0);
    picGoals = new ImageButton(QStringLiteral("goal"), m_client);
    picGoals->move(342, 2);
    picSettings = new ImageButton(QStringLiteral("settings"), m_client);
    picSettings->move(397, 2);
    picHelp = new ImageButton(QStringLiteral("help"), m_client);
    picHelp->move(452, 2);
    picExit1 = new ImageButton(QStringLiteral("exit"), m_client);
    picExit1->move(507, 2);
    picStart = new ImageButton(QStringLiteral("start-showing"), m_client);
    picStart->move(335, 412);

    connect(picPrograms2, &ImageButton::clicked, this, [this] { ShowPage(programsPage); });
    connect(picGoals, &ImageButton::clicked, this, [this] { ShowPage(goalsPage); });
    connect(picSettings, &ImageButton::clicked, this, [this] { ShowPage(settingsPage); });
    connect(picHelp, &ImageButton::clicked, this, [] { WebPages::OpenHelpPage(); });
    connect(picExit1, &ImageButton::clicked, this, &FrmAll::picExit1_Click);
    connect(picAbout->picOK, &ImageButton::clicked, this,
            [this] { m_pages->sendToBack(picAbout); });
    connect(picStart, &ImageButton::clicked, showCycle, &ShowCycle::cmdNext_Click);
    connect(programsPage->picStart1(), &ImageButton::clicked, showCycle, &ShowCycle::cmdNext_Click);
    connect(settingsPage->picStartInSettings, &ImageButton::clicked, showCycle,
            &ShowCycle::cmdStart_Click);
    connect(settingsPage, &SettingsPage::fontRequested, this, &FrmAll::cmdFont_Click);

    buildMenus();
    // The menu bar across the top, the client area below it, and the window as large as both.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_client);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_pages = new PageStack(*this, pages);

    // The pages as start-up left them: what it read, in the order it read it.
    if (m_startRead->goals)
        goalsPage->showGoalSlots(*m_startRead->goals);
    settingsPage->showSettings();
    if (m_startRead->programsInFront)
        ShowPage(programsPage);
    if (m_startRead->programs) {
        programsPage->showProgramList(std::move(*m_startRead->programs));
        followProgramList(true);
    }
    m_startRead = std::make_unique<StartRead>();
    followShow(showCycle->isShowing());
}

void FrmAll::setVisible(bool visible)
{
    if (visible)
        buildWindow();
    QWidget::setVisible(visible);
}

FrmAll::~FrmAll() = default;

// A caption's access key works while the window is shown and active, on every page.
QAction* FrmAll::command(const QString& caption)
{
    auto* action = new QAction(caption, this);
    action->setShortcut(QKeySequence::mnemonic(caption));
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    return action;
}

void FrmAll::buildMenus()
{
    m_menuBar = new QMenuBar(this);
    mnuFile = m_menuBar->addMenu(QStringLiteral("&File"));
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
    connect(mnuExit, &QAction::triggered, this, &FrmAll::Unload);

    mnuHelp = m_menuBar->addMenu(QStringLiteral("&Help"));
    mnuOnline = mnuHelp->addAction(QStringLiteral("&Online Help"));
    mnuVisit = mnuHelp->addAction(QStringLiteral("&Visit Us Online"));
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About Software"));
    connect(mnuOnline, &QAction::triggered, this, [] { WebPages::OpenHelpPage(); });
    connect(mnuVisit, &QAction::triggered, this, [] { WebPages::OpenHomePage(); });
    connect(mnuAbout, &QAction::triggered, this, [this] { ShowPage(picAbout); });
}

bool FrmAll::Form_Load(const QStringList& arguments)
{
    // A box of a step below may be open when the program is told to end: the sequence then
    // stops at the next step. Until the settings are loaded that end stores nothing and opens
    // no page (EndSession); from then on EndSession has already unloaded the window.
    // Each step reads into the pages if the window was shown meanwhile (a second launch while
    // a box of start-up is open), else for the pages to show once it is.
    // 1. The goal slots.
    GoalsPage::Goals goals = GoalsPage::readGoalSlots(AppFolder::path());
    if (goalsPage)
        goalsPage->showGoalSlots(goals);
    else
        m_startRead->goals = std::move(goals);
    // 2. The lists of the settings page.
    if (settingsPage)
        settingsPage->fillLists();
    if (ProgramEnd::begun())
        return false;
    // 3. Another instance runs: it comes forward and this one ends without storing anything.
    if (hooks.handOverToRunningInstance && hooks.handOverToRunningInstance())
        return false;
    // 4. No library: nothing can be shown.
    if (!LibraryFiles(AppFolder::path()).hasPluginsFolder()) {
        Prompt::current().ask(QStringLiteral("Required File(s) To Run Zentrivo Is Missing\n"
                                             "Please ReInstall Zentrivo"),
                              Prompt::Icon::Critical, Prompt::Buttons::Ok);
        return false;
    }
    // 5. Now and then, the update question; the program always opens on the Programs page.
    if (hooks.remindToUpdate)
        hooks.remindToUpdate();
    if (ProgramEnd::begun())
        return false;
    m_startRead->programsInFront = !programsPage;
    if (programsPage)
        ShowPage(programsPage);
    // 6. The log-on launch choice, and the tray box beside it.
    m_keeper.restoreLogonLaunch();
    if (settingsPage)
        settingsPage->showSettings();
    // 7. The program list, which from the moment it is shown follows the files as other
    // programs change them.
    ProgramListRead::Read programs = ProgramListRead::read(LibraryFiles(AppFolder::path()), false);
    if (programsPage) {
        programsPage->showProgramList(std::move(programs));
        followProgramList(false);
    } else
        m_startRead->programs = std::move(programs);
    if (ProgramEnd::begun())
        return false;
    // 8. The settings.
    cmdLoadSettings_Click();
    // 9. A log-on launch with the tray box ticked goes straight to the tray.
    const bool logOnLaunch = arguments.join(QLatin1Char(' ')).contains(QLatin1String("/STARTUP"));
    if (logOnLaunch && settings.RunAtSysTray)
        SendToTray();
    // 10. A show left running at the last exit starts again.
    if (settings.AutoDisplay)
        cmdStart->trigger();
    if (ProgramEnd::begun())
        return false;
    if (!isInTray() && !isMinimized()) {
        buildWindow();
        m_tray->centreOnScreen();
        QWidget::show();
    }
    return true;
}

void FrmAll::EndSession()
{
    ProgramEnd::begin();
    // Before the settings are loaded the program is still starting: Form_Load stops at its
    // next step and the program ends as start-up's own early end does, storing nothing and
    // opening no page. A running program leaves as its exit command leaves.
    if (m_settingsLoaded)
        Unload();
}

void FrmAll::ShowPage(QWidget* page)
{
    if (m_pages)
        m_pages->ShowPage(page);
}

QWidget* FrmAll::frontPage() const
{
    return m_pages ? m_pages->front() : nullptr;
}

void FrmAll::followShow(bool showing)
{
    const QString caption = showing ? kStopCaption : kStartCaption;
    cmdStart->setText(caption);
    cmdNext->setText(caption);
    if (!m_client)
        return;
    picStart->setPictureKey(showing ? QStringLiteral("stop-showing")
                                    : QStringLiteral("start-showing"));
    const QString others =
        showing ? QStringLiteral("stop-showing-2") : QStringLiteral("start-showing-2");
    programsPage->picStart1()->setPictureKey(others);
    settingsPage->picStartInSettings->setPictureKey(others);
}

// The settings commands belong to the settings page; these keep their established names.
void FrmAll::cmdLoadSettings_Click()
{
    m_keeper.load();
    if (settingsPage)
        settingsPage->showSettings();
    m_settingsLoaded = true;
}

void FrmAll::cmdSaveSettings_Click()
{
    m_keeper.save();
}

void FrmAll::cmdFont_Click()
{
    // The choice is stored at the next save, with the rest of the settings.
    fontDialog()->chooseFor(settings);
}

MessageFontDialog* FrmAll::fontDialog()
{
    if (!CDB)
        CDB = new MessageFontDialog(this);
    return CDB;
}

void FrmAll::picExit1_Click()
{
    const Prompt::Answer answer = Prompt::current().ask(
        QStringLiteral("Are You Sure You Want To Exit Zentrivo?\n"
                       "If you exit now you will not be able to view the Subliminal Messages\n"
                       "If you want to continue seeing Messages click on 'No'"),
        Prompt::Icon::Exclamation, Prompt::Buttons::YesNo);
    // Told to end while the question was open: that end is already under way.
    if (ProgramEnd::begun())
        return;
    if (answer == Prompt::Answer::Yes) {
        cmdExit_Click();
        return;
    }
    if (!showCycle->isShowing())
        showCycle->cmdStart_Click();
}

void FrmAll::cmdExit_Click()
{
    Unload();
}

// An access key held down is one press: the keyboard's repeat must neither delete one message
// or program after another nor type the key's letter into a box. The repeats of a key held
// with Alt are taken before any control or shortcut of this window sees them.
bool FrmAll::eventFilter(QObject* watched, QEvent* event)
{
    if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat() && (key->modifiers() & Qt::AltModifier)) {
            key->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// A close from the title bar, the system menu or Alt+F4 only puts the program into the tray;
// the show goes on, and nothing is stored.
void FrmAll::closeEvent(QCloseEvent* event)
{
    if (m_leaving)
        return;
    event->ignore();
    SendToTray();
}

void FrmAll::Unload()
{
    if (m_leaving)
        return;
    m_leaving = true;
    // Before start-up has loaded the settings there is nothing of the user's to store, and
    // storing the page's first values would replace the stored settings.
    if (m_settingsLoaded)
        cmdSaveSettings_Click();
    WebPages::OpenThankYouPage();
    m_tray->leave();
    hide();
    m_unloaded = true;
    emit unloaded();
}

bool FrmAll::isInTray() const
{
    return m_tray->isInTray();
}

void FrmAll::SendToTray()
{
    // Without a tray the window stays in the taskbar, placed as it will be shown.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        buildWindow();
    m_tray->sendToTray();
    // Nothing shows the pictures while the window is away, and they are quick to paint again.
    if (isHidden())
        Pictures::release();
}

QSystemTrayIcon* FrmAll::trayIcon() const
{
    return m_tray->icon();
}

void FrmAll::mnuPop_Click()
{
    if (m_unloaded)
        return;
    // Made before the window is placed in the middle of the screen, at its full size.
    buildWindow();
    m_tray->bringBack();
}

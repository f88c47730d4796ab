#include "ui/FrmAll.h"

#include "core/AppFolder.h"
#include "core/ProgramEnd.h"
#include "core/Prompt.h"
#include "display/ShowCycle.h"
#include "library/LibraryFiles.h"
#include "settings/MessageFontDialog.h"
#include "ui/AboutPage.h"
#include "ui/GoalsPage.h"
#include "ui/ImageButton.h"
#include "ui/Palette.h"
#include "ui/Pictures.h"
#include "ui/ProgramsPage.h"
#include "ui/SettingsPage.h"
#include "ui/WebPages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <utility>

namespace {

const QString kStartCaption = QStringLiteral("Start Showing Subliminal Messages");

// The client area: the background picture under the toolbar and the pages.
class ClientArea : public QWidget
{
public:
    explicit ClientArea(QWidget* parent) : QWidget(parent)
    {
        setFixedSize(570, 447);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Palette::background);
        p.setColor(QPalette::WindowText, Qt::white);
        setPalette(p);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawPixmap(0, 0, Pictures::background(devicePixelRatioF()));
    }
};

} // namespace

FrmAll::FrmAll(SettingsStore& store, QWidget* parent) : QMainWindow(parent), m_store(store)
{
    setObjectName(QStringLiteral("frmAll"));
    setWindowTitle(QStringLiteral("Zentrivo v1.0"));
    setWindowIcon(Pictures::programIcon());
    QFont font(Palette::fontFamily);
    font.setPointSizeF(8);
    setFont(font);

    m_client = new ClientArea(this);
    setCentralWidget(m_client);

    // The pages share one rectangle; the one in front covers the other three.
    const QRect pageRect(8, 84, 553, 311);
    Picture2 = new ProgramsPage(LibraryFiles(AppFolder::path()), m_client);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture1 = new GoalsPage(AppFolder::path(), m_client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture3 = new SettingsPage(settings, m_store, m_client);
    picAbout = new AboutPage(m_client);
    for (QWidget* page : {static_cast<QWidget*>(Picture2), static_cast<QWidget*>(Picture1),
                          static_cast<QWidget*>(Picture3), static_cast<QWidget*>(picAbout)}) {
        page->setGeometry(pageRect);
        m_pageOrder.append(page);
    }

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

    cmdExit = command(QStringLiteral("E&xit Program"));
    cmdStart = command(kStartCaption);
    cmdNext = command(kStartCaption);
    cmdFont = command(QStringLiteral("Font"));

    showCycle = new ShowCycle(settings, m_store, AppFolder::path(), cmdStart, cmdNext, this);
    showCycle->saveSettings = [this] { cmdSaveSettings_Click(); };
    showCycle->sendAway = [this] {
        bool cancel = false;
        Form_QueryUnload(cancel, 0);
    };
    showCycle->setPictures = [this](const QString& first, const QString& others) {
        picStart->setPictureKey(first);
        Picture2->picStart1()->setPictureKey(others);
        Picture3->picStartInSettings->setPictureKey(others);
    };

    CDB = new MessageFontDialog(this);

    connect(picPrograms2, &ImageButton::clicked, this, [this] { ShowPage(Picture2); });
    connect(picGoals, &ImageButton::clicked, this, [this] { ShowPage(Picture1); });
    connect(picSettings, &ImageButton::clicked, this, [this] { ShowPage(Picture3); });
    connect(picHelp, &ImageButton::clicked, this, [] { WebPages::OpenHelpPage(); });
    connect(picExit1, &ImageButton::clicked, this, &FrmAll::picExit1_Click);
    connect(picAbout->picOK, &ImageButton::clicked, this, [this] {
        // The About page goes to the back, so the page shown before it is in front again.
        picAbout->lower();
        m_pageOrder.removeOne(picAbout);
        m_pageOrder.prepend(picAbout);
        frontChanged();
    });
    connect(picStart, &ImageButton::clicked, showCycle, &ShowCycle::cmdNext_Click);
    connect(Picture2->picStart1(), &ImageButton::clicked, showCycle, &ShowCycle::cmdNext_Click);
    connect(Picture3->picStartInSettings, &ImageButton::clicked, showCycle,
            &ShowCycle::cmdStart_Click);
    connect(cmdStart, &QAction::triggered, showCycle, &ShowCycle::cmdStart_Click);
    connect(cmdNext, &QAction::triggered, showCycle, &ShowCycle::cmdNext_Click);
    connect(cmdExit, &QAction::triggered, this, &FrmAll::cmdExit_Click);
    connect(cmdFont, &QAction::triggered, this, &FrmAll::cmdFont_Click);
    connect(Picture3, &SettingsPage::fontRequested, this, &FrmAll::cmdFont_Click);

    buildMenus();
    buildTray();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    frontChanged();
    qApp->installEventFilter(this);
}

FrmAll::~FrmAll() = default;

// A caption's access key works while the window is shown and active, on every page.
QAction* FrmAll::command(const QString& caption)
{
    auto* action = new QAction(caption, m_client);
    action->setShortcut(QKeySequence::mnemonic(caption));
    action->setShortcutContext(Qt::WindowShortcut);
    m_client->addAction(action);
    return action;
}

void FrmAll::buildMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
    connect(mnuExit, &QAction::triggered, this, [this] { Unload(1); });

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuOnline = mnuHelp->addAction(QStringLiteral("&Online Help"));
    mnuVisit = mnuHelp->addAction(QStringLiteral("&Visit Us Online"));
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About Software"));
    connect(mnuOnline, &QAction::triggered, this, [] { WebPages::OpenHelpPage(); });
    connect(mnuVisit, &QAction::triggered, this, [] { WebPages::OpenHomePage(); });
    connect(mnuAbout, &QAction::triggered, this, [this] { ShowPage(picAbout); });
}

void FrmAll::buildTray()
{
    mnuPopUp = new QMenu(this);
    mnuPop = mnuPopUp->addAction(QStringLiteral("Show"));
    mnuExit1 = mnuPopUp->addAction(QStringLiteral("Exit"));
    mnuPopUp->setDefaultAction(mnuPop);
    connect(mnuPop, &QAction::triggered, this, &FrmAll::mnuPop_Click);
    connect(mnuExit1, &QAction::triggered, this, [this] { Unload(1); });

    m_tray = new QSystemTrayIcon(Pictures::programIcon(), this);
    m_tray->setToolTip(QStringLiteral("Recent"));
    // The menu pops up on the right button; a left double-click means "Show"; a single
    // left click does nothing.
    m_tray->setContextMenu(mnuPopUp);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick)
            mnuPop_Click();
    });

    m_trayWatch = new QTimer(this);
    m_trayWatch->setInterval(5000);
    m_trayWatch->setTimerType(Qt::VeryCoarseTimer);
    connect(m_trayWatch, &QTimer::timeout, this, [this] {
        // A tray has appeared since the window was minimised for want of one: move there.
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            return;
        m_trayWatch->stop();
        if (isMinimized())
            SendToTray();
    });
}

void FrmAll::centreOnScreen()
{
    if (m_centred)
        return;
    m_centred = true;
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QSize size = frameGeometry().size();
        move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
}

bool FrmAll::Form_Load(const QStringList& arguments)
{
    // A box of a step below may be open when the program is told to end: the sequence then
    // stops at the next step. Until the settings are loaded that end stores nothing and opens
    // no page (EndSession); from then on EndSession has already unloaded the window.
    // 1. The goal slots.
    Picture1->LoadGoalSlots();
    // 2. The lists of the settings page.
    Picture3->fillLists();
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
    ShowPage(Picture2);
    // 6. The log-on launch choice, and the tray box beside it.
    Picture3->showLogonLaunch();
    // 7. The program list.
    Picture2->LoadProgramList();
    if (ProgramEnd::begun())
        return false;
    // 8. The settings.
    cmdLoadSettings_Click();
    // 9. A log-on launch with the tray box ticked goes straight to the tray.
    const bool logOnLaunch = arguments.join(QLatin1Char(' ')).contains(QLatin1String("/STARTUP"));
    if (logOnLaunch && Picture3->chkSysTray->isChecked())
        SendToTray();
    // 10. A show left running at the last exit starts again.
    if (settings.AutoDisplay)
        cmdStart->trigger();
    if (ProgramEnd::begun())
        return false;
    if (!isInTray() && !isMinimized()) {
        centreOnScreen();
        QMainWindow::show();
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
        Unload(2);
}

void FrmAll::ShowPage(QWidget* page)
{
    page->raise();
    m_pageOrder.removeOne(page);
    m_pageOrder.append(page);
    frontChanged();
}

// The pages behind are covered, not hidden, so without this the keyboard focus would stay
// in a covered list and the access keys of covered buttons would still work: keys would tick,
// delete and save what the user cannot see. Only the page in front is enabled, and the focus
// goes into it: back to the control the user left there, else to the page itself, so no key
// acts before the user has clicked or tabbed to a control.
void FrmAll::frontChanged()
{
    QWidget* front = frontPage();
    if (!front)
        return;
    QWidget* had = focusWidget();
    for (QWidget* page : std::as_const(m_pageOrder)) {
        if (page != front && had && page->isAncestorOf(had))
            m_focusInPage.insert(page, had);
    }
    front->setEnabled(true);
    if (!had || !(had == front || front->isAncestorOf(had))) {
        QWidget* target = m_focusInPage.value(front);
        if (!target || !target->isEnabled() || !target->isVisibleTo(front))
            target = front;
        target->setFocus(Qt::OtherFocusReason);
    }
    for (QWidget* page : std::as_const(m_pageOrder)) {
        if (page != front)
            page->setEnabled(false);
    }
}

QWidget* FrmAll::frontPage() const
{
    return m_pageOrder.isEmpty() ? nullptr : m_pageOrder.last();
}

// The settings commands belong to the settings page; these keep their established names.
void FrmAll::cmdLoadSettings_Click()
{
    Picture3->loadSettings();
    m_settingsLoaded = true;
}

void FrmAll::cmdSaveSettings_Click()
{
    Picture3->saveSettings();
}

void FrmAll::cmdFont_Click()
{
    // The choice is stored at the next save, with the rest of the settings.
    CDB->chooseFor(settings);
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
    Unload(1);
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
    return QMainWindow::eventFilter(watched, event);
}

void FrmAll::closeEvent(QCloseEvent* event)
{
    if (m_unloading) {
        event->accept();
        return;
    }
    bool cancel = false;
    Form_QueryUnload(cancel, 0);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void FrmAll::Form_QueryUnload(bool& cancel, int reason)
{
    if (reason == 0) {
        // A close from the title bar only puts the program into the tray; the show goes on.
        SendToTray();
        cancel = true;
        return;
    }
    // Before start-up has loaded the settings there is nothing of the user's to store, and
    // storing the page's first values would replace the stored settings.
    if (m_settingsLoaded)
        cmdSaveSettings_Click();
}

void FrmAll::Form_Unload()
{
    if (m_thankYouOpened)
        return;
    m_thankYouOpened = true;
    WebPages::OpenThankYouPage();
}

void FrmAll::Unload(int reason)
{
    if (m_unloaded || m_unloading)
        return;
    m_unloading = true;
    bool cancel = false;
    Form_QueryUnload(cancel, reason);
    if (cancel) {
        m_unloading = false;
        return;
    }
    Form_Unload();
    m_trayWatch->stop();
    m_tray->hide();
    hide();
    m_unloaded = true;
    m_unloading = false;
    emit unloaded();
}

bool FrmAll::isInTray() const
{
    return m_tray->isVisible() && !isVisible();
}

void FrmAll::SendToTray()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Without a tray a hidden window could never be brought back: keep it in the
        // taskbar, and move to the tray once one appears.
        centreOnScreen();
        showMinimized();
        m_trayWatch->start();
        return;
    }
    m_tray->show(); // a second send leaves the one icon as it is
    setWindowState(windowState() | Qt::WindowMinimized);
    hide();
}

void FrmAll::RemoveTrayIcon()
{
    m_tray->hide();
}

void FrmAll::mnuPop_Click()
{
    if (m_unloaded)
        return;
    m_trayWatch->stop();
    centreOnScreen();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    QMainWindow::show();
    raise();
    activateWindow();
    RemoveTrayIcon();
}

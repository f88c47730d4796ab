#include "app/DisplayOpening.h"
#include "app/SessionEnd.h"
#include "app/SingleInstance.h"
#include "app/UpdateReminder.h"
#include "core/AppFolder.h"
#include "display/FrmDisp.h"
#include "display/PlatformChoice.h"
#include "display/ShowCycle.h"
#include "display/ShowHold.h"
#include "settings/SettingsStore.h"
#include "ui/FrmAll.h"
#include "ui/TrayPresence.h"

#include <QApplication>

int main(int argc, char** argv)
{
    choosePlatformBeforeQApplication();
    DisplayOpening::begin();
    QApplication app(argc, argv);
    DisplayOpening::end();
    // The program lives on in the tray with no window shown; it ends when the main window is
    // unloaded.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(AppFolder::baseName());
    QApplication::setDesktopFileName(QStringLiteral("zentrivo"));

    // From here on a termination signal is this program's own end, also while start-up waits
    // in a box.
    SessionEnd sessionEnd;

    // A library folder that could not be made is told by start-up, which then finds no
    // `plugins` folder in it.
    (void)AppFolder::prepare();
    SettingsStore store(AppFolder::baseName());
    SingleInstance guard;
    FrmAll frmAll(store);
    frmAll.hooks.handOverToRunningInstance = [&guard] {
        if (guard.handOverToRunningInstance())
            return true;
        // Another instance may have claimed the name in the meantime: then it is the one.
        return !guard.listen() && guard.handOverToRunningInstance();
    };
    frmAll.hooks.remindToUpdate = [&store] { UpdateReminder::RemindToUpdate(store); };
    QObject::connect(&guard, &SingleInstance::activationRequested, &frmAll, &FrmAll::mnuPop_Click);

    QObject::connect(&sessionEnd, &SessionEnd::endRequested, &frmAll, &FrmAll::EndSession);

    // Pauses, and holds while presenting, offered in the tray menu.
    ShowHold hold(*frmAll.showCycle, store);
    frmAll.tray()->offerHold(hold);

    // The program ends once the main window is gone and no message is left on the screen.
    QObject::connect(&frmAll, &FrmAll::unloaded, &app, [&frmAll] {
        FrmDisp* disp = frmAll.showCycle->displayWindow();
        if (disp && disp->isVisible())
            QObject::connect(disp, &FrmDisp::messageEnded, qApp, &QCoreApplication::quit);
        else
            QCoreApplication::quit();
    });

    if (!frmAll.Form_Load(app.arguments().mid(1)))
        return 0;
    return app.exec();
}

// The floor Zentrivo's footprint is measured against: a bare Qt tray program with what
// Zentrivo has while it sits in the tray and nothing else. A hidden window of the main
// window's size, a tray icon with a two-item menu, and a precise 2 s clock that does no work
// on its beat, so what a beat costs here is what Qt and the X connection cost.
//   bare_tray             the clock runs (the show on)
//   bare_tray --no-timer  no clock (the show stopped)
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QWidget window;
    window.resize(570, 447);

    QMenu menu;
    QObject::connect(menu.addAction(QStringLiteral("Show")), &QAction::triggered, &window,
                     &QWidget::show);
    QObject::connect(menu.addAction(QStringLiteral("Exit")), &QAction::triggered, &app,
                     &QCoreApplication::quit);

    QPixmap picture(22, 22);
    picture.fill(Qt::darkCyan);
    QSystemTrayIcon tray{QIcon(picture)};
    tray.setContextMenu(&menu);
    tray.show();

    int beats = 0;
    QTimer clock;
    clock.setTimerType(Qt::PreciseTimer);
    clock.setInterval(2000);
    QObject::connect(&clock, &QTimer::timeout, &app, [&beats] { ++beats; });
    if (!QCoreApplication::arguments().contains(QStringLiteral("--no-timer")))
        clock.start();

    return QApplication::exec();
}

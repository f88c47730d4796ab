// Ends with status 0 once a system tray is there for a program to use, asked the way the
// program asks; with status 1 when none has come within the given number of seconds. The
// end-to-end scripts start the program only after this: a tray host shows its own window
// before it has taken the tray, and a program started in between finds no tray.
//   tray_ready <seconds>
#include <QApplication>
#include <QDeadlineTimer>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 30;
    const QDeadlineTimer deadline{std::chrono::seconds(seconds)};
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QApplication::exit(0);
        else if (deadline.hasExpired())
            QApplication::exit(1);
    });
    poll.start(20);
    return QApplication::exec();
}

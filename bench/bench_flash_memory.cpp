// Whether memory stays flat however many messages are flashed: the real show on a real X
// server (run by hand under Xvfb: DISPLAY=:N bench_flash_memory [flashes]), the real beat,
// the real display window and its real duration clock, with only the clocks shortened so that
// 100,000 flashes take minutes instead of days: the pacing clock to 1 ms and, once each
// message is on the screen, its duration clock to 1 ms. Prints the resident memory (and what
// the heap holds) after 0, 1,000, 10,000, 50,000 and 100,000 flashes, and the growth.
//
// It uses only what the show offers anyone (pacingClock(), displayWindow(), durationClock()),
// so the same file builds against an earlier version of the program for a before/after run.

#include "display/FrmDisp.h"
#include "display/ShowCycle.h"
#include "settings/DisplaySettings.h"
#include "settings/SettingsStore.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <malloc.h>
#include <memory>

namespace {

long statusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

// Counts the flashes as they leave the screen and shortens each one's duration once it is
// there. Both go by what the show offers anyone, whichever window the message is drawn in
// (on X11 one of the program's own that Qt never sees): the display window's messageEnded,
// and its duration clock, looked at each time the event loop is about to wait. The program
// arms that clock for a second more than the duration while the message waits for its pixels,
// and for the duration (less a millisecond) once they are on the screen: only the second is
// cut.
class Driver : public QObject
{
public:
    ShowCycle* cycle = nullptr;
    long flashes = 0;
    QList<long> marks;
    QElapsedTimer clock;

    void beforeWait()
    {
        FrmDisp* disp = cycle->displayWindow();
        if (!disp)
            return;
        if (disp != m_counted) {
            m_counted = disp;
            connect(disp, &FrmDisp::messageEnded, this, &Driver::messageEnded);
        }
        QTimer& duration = disp->durationClock();
        if (disp->isVisible() && duration.isActive() && duration.interval() > 1 &&
            duration.interval() < 1000)
            duration.start(1);
    }

    void messageEnded()
    {
        ++flashes;
        if (!marks.isEmpty() && flashes == marks.first()) {
            print(marks.takeFirst());
            if (marks.isEmpty())
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

    void print(long n) const
    {
        static long firstRss = -1;
        const long rss = statusKb("VmRSS:");
        if (firstRss < 0)
            firstRss = rss;
        const struct mallinfo2 heap = mallinfo2();
        std::printf("%9ld %10.1f %10.1f %10.1f %9.1f\n", n, double(rss) / 1024,
                    double(rss - firstRss) / 1024, double(heap.uordblks) / 1048576,
                    double(clock.elapsed()) / 1000);
        std::fflush(stdout);
    }

private:
    FrmDisp* m_counted = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const long last = argc > 1 ? std::atol(argv[1]) : 100'000;

    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("plugins"));
    {
        QFile list(dir.filePath("FileNames.txt"));
        QFile program(dir.filePath("plugins/p.txt"));
        if (!list.open(QIODevice::WriteOnly) || !program.open(QIODevice::WriteOnly))
            return 1;
        list.write("\"p\",#TRUE#\r\n");
        program.write("\"You are doing well\",#TRUE#\r\n\"Keep going\",#TRUE#\r\n");
    }
    auto store = SettingsStore::atIniFile(dir.filePath("settings.ini"));
    DisplaySettings settings;
    settings.RandomMessage = 1; // as written: the two messages in turn
    settings.RandomLocation = 0;
    settings.DispInterval = 0;
    settings.DispDuration = 0; // 20 ms, shortened below
    ShowCycle cycle(settings, *store, dir.path());

    Driver driver;
    driver.cycle = &cycle;
    for (long mark : {1'000L, 10'000L, 50'000L, 100'000L})
        if (mark <= last)
            driver.marks << mark;
    if (driver.marks.isEmpty() || driver.marks.last() != last)
        driver.marks << last;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &driver, &Driver::beforeWait);

    std::printf("platform %s; the show at a 1 ms pace, each flash cut to 1 ms once on the screen\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf("%9s %10s %10s %10s %9s\n", "flashes", "RSS MB", "growth MB", "heap MB", "seconds");
    cycle.cmdStart_Click();
    cycle.pacingClock().setInterval(1);
    driver.clock.start();
    driver.print(0);
    app.exec();
    cycle.cmdStart_Click();
    std::printf("(the first flashes fill the caches of fonts and pictures once: the growth after "
                "1,000 flashes is what a long run adds)\n");
    return 0;
}

// What a large library costs when the show starts, on a real X server (run by hand under
// Xvfb: DISPLAY=:N bench_show_start). Three libraries, each one ticked program:
//   big   a program file of 100 MB (about 98,000 messages of 1,000 characters)
//   many  1,000,000 short messages (18 MB)
//   long  one message of 10 MB on one line
// For each, in a process of its own (so that one case's heap never shows in the next):
// resident memory when idle, once the messages are gathered and at the first flash, and the
// peak (VmHWM) over the whole case; the time from the press of Start (cmdStart_Click) to the
// first flash with the real pacing clock at its 2 s interval, and that time less the interval;
// the longest stall of the user-interface thread from the press to the first flash, seen as
// the longest gap between the ticks of a 5 ms timer on that thread, with how much of that gap
// the thread itself spent working (on 2 shared cores the rest is waiting for one); and, after the
// show is stopped again, the time MessagePool::GatherMessages takes to load the pool on its own.
// The first flash is the display window's show (the program's request, not the pixels on the
// screen).

#include "display/FrmDisp.h"
#include "display/MessagePool.h"
#include "display/ShowCycle.h"
#include "settings/DisplaySettings.h"
#include "settings/SettingsStore.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

constexpr int kIntervalMs = 2000; // DispInterval 0

// A line of /proc/self/status in MB ("VmRSS", "VmHWM").
double statusMb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// The CPU time the calling thread has used.
qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

bool writeProgram(const QString& folder, const QByteArray& program)
{
    QDir().mkpath(folder + QStringLiteral("/plugins"));
    QFile list(folder + QStringLiteral("/FileNames.txt"));
    QFile file(folder + QStringLiteral("/plugins/p.txt"));
    return list.open(QIODevice::WriteOnly) && list.write("\"p\",#TRUE#\r\n") > 0 &&
           file.open(QIODevice::WriteOnly) && file.write(program) == program.size();
}

// Words of Western European text, a few characters above ASCII among them.
QByteArray prose(qsizetype size)
{
    static const QByteArray words[] = {"calm ",  "breathe ", "caf\xe9 ", "na\xefve ",
                                       "focus ", "\x80 5 ",  "steady ",  "you are "};
    QByteArray text;
    text.reserve(size + 16);
    for (int i = 0; text.size() < size; ++i)
        text += words[(i * 7 + i / 8) % 8];
    text.truncate(size);
    return text;
}

QByteArray library(const QString& which)
{
    QByteArray program;
    if (which == QLatin1String("big")) {
        const QByteArray text = prose(1000);
        for (int i = 0; program.size() < 100'000'000; ++i)
            program += '"' + QByteArray::number(i) + text + "\",#TRUE#\r\n";
    } else if (which == QLatin1String("many")) {
        program.reserve(18'000'000);
        for (int i = 0; i < 1'000'000; ++i)
            program += "\"m" + QByteArray::number(i).rightJustified(6, '0') + "\",#TRUE#\r\n";
    } else {
        program = '"' + prose(10'000'000) + "\",#TRUE#\r\n";
    }
    return program;
}

int runCase(const QString& which, const QString& folder, qint64 fileBytes)
{
    DisplaySettings settings;
    settings.DispInterval = 0; // 2 s
    settings.DispDuration = 0; // 20 ms
    settings.RandomMessage = 1;
    settings.RandomLocation = 1;
    auto store = SettingsStore::atIniFile(folder + QStringLiteral("/settings.ini"));
    auto cycle = std::make_unique<ShowCycle>(settings, *store, folder);

    // The user-interface thread's stalls: the gaps between the ticks of a 5 ms timer.
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = -1;
    qint64 lastCpu = 0;
    qint64 longestGap = 0;
    qint64 longestGapEnd = 0;
    qint64 longestGapCpu = 0;
    bool watching = false;
    QTimer watchdog;
    watchdog.setTimerType(Qt::PreciseTimer);
    watchdog.setInterval(5);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        if (watching && lastTick >= 0 && now - lastTick > longestGap) {
            longestGap = now - lastTick;
            longestGapEnd = now;
            longestGapCpu = cpu - lastCpu;
        }
        lastTick = now;
        lastCpu = cpu;
    });
    watchdog.start();

    double idleMb = 0;
    double gatheredMb = -1;
    double flashMb = -1;
    qint64 pressedAt = -1;
    qint64 pressReturnedAt = -1;
    qint64 gatheredAt = -1;
    qint64 flashAt = -1;
    QEventLoop loop;

    // The first flash: the display window showing, looked at each time the event loop is
    // about to wait, whichever window the message is drawn in (on X11 one of the program's
    // own that Qt never sees).
    const auto onShow = [&] {
        if (flashAt >= 0)
            return;
        flashAt = clock.nsecsElapsed();
        flashMb = statusMb("VmRSS");
        QTimer::singleShot(300, &loop, &QEventLoop::quit);
    };
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &loop, [&] {
                         const FrmDisp* disp = cycle ? cycle->displayWindow() : nullptr;
                         if (disp && disp->isVisible())
                             onShow();
                     });
    const auto gathered = [&] {
        gatheredAt = clock.nsecsElapsed();
        gatheredMb = statusMb("VmRSS");
    };

    QTimer::singleShot(500, [&] {
        idleMb = statusMb("VmRSS");
        watching = true;
        lastTick = clock.nsecsElapsed();
        lastCpu = threadCpuNs();
        pressedAt = lastTick;
        // The pool is gathered in the background and announced.
        QObject::connect(cycle.get(), &ShowCycle::poolReady, gathered);
        cycle->cmdStart_Click();
        pressReturnedAt = clock.nsecsElapsed();
    });
    QTimer::singleShot(120'000, &loop, &QEventLoop::quit); // a case that never flashes
    loop.exec();
    watching = false;
    const double peakMb = statusMb("VmHWM");
    cycle->cmdStart_Click(); // stop
    cycle.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QElapsedTimer load;
    load.start();
    MessagePool pool(folder);
    pool.GatherMessages();
    const double loadMs = double(load.nsecsElapsed()) / 1e6;

    const auto ms = [&](qint64 from, qint64 to) {
        return from < 0 || to < 0 ? -1.0 : double(to - from) / 1e6;
    };
    const double fileMb = double(fileBytes) / (1024.0 * 1024.0);
    std::printf("%-5s file %7.1f MB, %8lld messages, loading the pool alone %8.1f ms\n",
                qPrintable(which), fileMb, static_cast<long long>(pool.size()), loadMs);
    std::printf("      RSS idle %7.1f MB | gathered %7.1f MB | at the first flash %7.1f MB | "
                "peak %7.1f MB = idle + %.2f x the file\n",
                idleMb, gatheredMb, flashMb, peakMb, (peakMb - idleMb) / fileMb);
    std::printf("      press returned after %8.1f ms, messages gathered after %8.1f ms\n",
                ms(pressedAt, pressReturnedAt), ms(pressedAt, gatheredAt));
    std::printf("      Start to the first flash %8.1f ms (less the %d ms interval: %8.1f ms)\n",
                ms(pressedAt, flashAt), kIntervalMs, ms(pressedAt, flashAt) - kIntervalMs);
    std::printf("      longest stall of the user-interface thread %8.1f ms, ending %.1f ms after "
                "the press, %.1f ms of it the thread's own work (the rest: waiting for a core)\n",
                double(longestGap) / 1e6, ms(pressedAt, longestGapEnd),
                double(longestGapCpu) / 1e6);
    std::fflush(stdout);
    return flashAt >= 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4) {
        QApplication app(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return runCase(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                       QByteArray(argv[3]).toLongLong());
    }
    QCoreApplication app(argc, argv);
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        std::fprintf(stderr, "bench_show_start shows real windows: run it under Xvfb "
                             "(DISPLAY=:N).\n");
        return 1;
    }
    std::printf("bench_show_start on the X server %s (Xvfb expected), platform xcb; each case "
                "in a fresh process; interval 2 s, duration 20 ms, \"As Written\"\n",
                display.constData());
    std::fflush(stdout);
    int status = 0;
    for (const char* which : {"big", "many", "long"}) {
        QTemporaryDir dir;
        qint64 bytes = 0;
        {
            const QByteArray program = library(QLatin1String(which));
            bytes = program.size();
            if (!writeProgram(dir.path(), program)) {
                std::fprintf(stderr, "the library could not be written in %s\n",
                             qPrintable(dir.path()));
                return 1;
            }
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QLatin1String(which), dir.path(), QString::number(bytes)});
        if (!child.waitForFinished(300'000) || child.exitCode() != 0) {
            std::printf("%-5s no flash came\n", which);
            status = 1;
        }
    }
    return status;
}

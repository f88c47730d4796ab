// How closely a flash keeps its chosen duration, and the show its interval, on a real X
// server (run by hand under Xvfb: DISPLAY=:N bench_flash_timing). Prints, for every duration
// entry, the median and p99 of |time on screen - duration| over 50 flashes, measured from
// the display window's show event to its hide event; then, over a shorter run of beats at the
// 2 s interval, the same for |gap between a hide and the next show - interval|, and which
// timer events the process handled between two beats.

#include "core/Screen.h"
#include "display/FrmDisp.h"
#include "display/ShowCycle.h"
#include "settings/DisplaySettings.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kFlashesPerDuration = 50;
constexpr int kGapBeats = 30;

// Watches every event of the process: the display window's show and hide, and every timer
// event with the object it went to.
class Watch : public QObject
{
public:
    QElapsedTimer clock;
    qint64 shownAt = -1;
    qint64 hiddenAt = -1;
    std::vector<double> onScreenMs;
    std::vector<double> gapMs;
    qint64 pacingTickAt = -1;
    std::vector<double> pacingLateMs; // from a hide to the pacing clock's tick, less the interval
    std::vector<double> beatMs;       // from the pacing clock's tick to the show event
    qint64 durationTickAt = -1;
    std::vector<double> durationLateMs; // from the show event to the duration clock's tick
    std::vector<double> hideMs;         // from the duration clock's tick to the hide event
    QEventLoop* waitForHide = nullptr;
    QMap<QString, int> timerEvents; // since the last show
    std::vector<QMap<QString, int>> timerEventsPerBeat;
    QTimer* pacing = nullptr;
    QPointer<FrmDisp> flash;

    Watch() { clock.start(); }

    bool eventFilter(QObject* object, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
            if (qobject_cast<FrmDisp*>(object)) {
                const qint64 now = clock.nsecsElapsed();
                if (hiddenAt >= 0)
                    gapMs.push_back(double(now - hiddenAt) / 1e6);
                shownAt = now;
                if (pacingTickAt >= 0)
                    beatMs.push_back(double(now - pacingTickAt) / 1e6);
                pacingTickAt = -1;
                flash = static_cast<FrmDisp*>(object);
                timerEventsPerBeat.push_back(timerEvents);
                timerEvents.clear();
            }
            break;
        case QEvent::Hide:
            if (auto* flash = qobject_cast<FrmDisp*>(object); flash && shownAt >= 0) {
                hiddenAt = clock.nsecsElapsed();
                onScreenMs.push_back(double(hiddenAt - shownAt) / 1e6 -
                                     double(flash->durationClock().interval()));
                if (durationTickAt >= 0) {
                    durationLateMs.push_back(double(durationTickAt - shownAt) / 1e6 -
                                             double(flash->durationClock().interval()));
                    hideMs.push_back(double(hiddenAt - durationTickAt) / 1e6);
                }
                durationTickAt = -1;
                if (waitForHide)
                    waitForHide->quit();
            }
            break;
        case QEvent::Timer: {
            QString name = QString::fromLatin1(object->metaObject()->className());
            if (object == pacing) {
                name = QStringLiteral("pacing clock");
                pacingTickAt = clock.nsecsElapsed();
                if (hiddenAt >= 0)
                    pacingLateMs.push_back(double(pacingTickAt - hiddenAt) / 1e6 -
                                           double(pacing->interval()));
            } else if (flash && object == &flash->durationClock()) {
                name = QStringLiteral("duration clock");
                durationTickAt = clock.nsecsElapsed();
            }
            ++timerEvents[name];
            break;
        }
        default:
            break;
        }
        return false;
    }
};

struct Figures
{
    double median = 0;
    double p99 = 0;
    double worst = 0;
};

Figures figures(std::vector<double> deviations)
{
    for (double& d : deviations)
        d = std::fabs(d);
    std::sort(deviations.begin(), deviations.end());
    if (deviations.empty())
        return {};
    const auto at = [&](double q) {
        const auto i = std::size_t(std::ceil(q * double(deviations.size()))) - 1;
        return deviations[std::min(i, deviations.size() - 1)];
    };
    return {at(0.5), at(0.99), deviations.back()};
}

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

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
    settings.RandomMessage = 1;
    settings.RandomLocation = 0;
    settings.DispInterval = 0; // 2 s
    ShowCycle cycle(settings, *store, dir.path());

    Watch watch;
    watch.pacing = &cycle.pacingClock();
    app.installEventFilter(&watch);

    std::printf("platform %s, screen %dx%d\n", qPrintable(QGuiApplication::platformName()),
                Screen::current().size().width(), Screen::current().size().height());
    std::printf("\nTime on screen against the chosen duration, %d flashes each (ms)\n",
                kFlashesPerDuration);
    std::printf("%10s %10s %10s %10s   %s\n", "duration", "median", "p99", "worst",
                "of which: clock late median/p99, its tick to the hide median/p99");

    // --gap-only skips the duration part.
    const bool gapOnly = QCoreApplication::arguments().contains(QStringLiteral("--gap-only"));
    cycle.cmdStart_Click();
    for (int index = 0; index < DurationChoices::count && !gapOnly; ++index) {
        settings.DispDuration = index;
        watch.onScreenMs.clear();
        watch.durationLateMs.clear();
        watch.hideMs.clear();
        for (int i = 0; i < kFlashesPerDuration; ++i) {
            // Beats driven one after the other, a short pause apart, so the run stays short.
            QEventLoop loop;
            watch.waitForHide = &loop;
            cycle.Timer1_Timer();
            loop.exec();
            watch.waitForHide = nullptr;
            cycle.pacingClock().stop();
            pause(30);
        }
        const Figures f = figures(watch.onScreenMs);
        const Figures late = figures(watch.durationLateMs);
        const Figures hide = figures(watch.hideMs);
        std::printf("%10d %10.3f %10.3f %10.3f   %.3f/%.3f, %.3f/%.3f\n",
                    DurationChoices::milliseconds(index), f.median, f.p99, f.worst, late.median,
                    late.p99, hide.median, hide.p99);
        std::fflush(stdout);
    }

    // The real cycle: the pacing clock at 2 s, the shortest duration.
    settings.DispDuration = 0;
    cycle.cmdStart_Click(); // stop
    watch.hiddenAt = -1;
    watch.shownAt = -1;
    watch.gapMs.clear();
    watch.onScreenMs.clear();
    watch.timerEventsPerBeat.clear();
    watch.pacingLateMs.clear();
    watch.beatMs.clear();
    cycle.cmdStart_Click(); // start: the first beat comes one interval later
    watch.timerEvents.clear();
    while (int(watch.gapMs.size()) < kGapBeats) {
        QEventLoop loop;
        watch.waitForHide = &loop;
        loop.exec();
        watch.waitForHide = nullptr;
    }
    cycle.cmdStart_Click(); // stop

    std::vector<double> gapDeviation;
    for (double g : watch.gapMs)
        gapDeviation.push_back(g - double(settings.intervalMs()));
    const Figures gap = figures(gapDeviation);
    const Figures shown = figures(watch.onScreenMs);
    std::printf("\nGap from a hide to the next show against the 2000 ms interval, %d beats (ms)\n",
                kGapBeats);
    std::printf("%10s %10s %10s\n", "median", "p99", "worst");
    std::printf("%10.3f %10.3f %10.3f\n", gap.median, gap.p99, gap.worst);
    std::printf("time on screen in the same run (20 ms): median %.3f, p99 %.3f\n", shown.median,
                shown.p99);
    const Figures late = figures(watch.pacingLateMs);
    const Figures beat = figures(watch.beatMs);
    std::printf("of the gap: pacing clock late by median %.3f, p99 %.3f; its tick to the show "
                "event median %.3f, p99 %.3f\n",
                late.median, late.p99, beat.median, beat.p99);

    // Timer events from one show to the next: the first entry holds the wait before the
    // first beat, so it is left out.
    QMap<QString, int> total;
    int beats = 0;
    for (std::size_t i = 1; i < watch.timerEventsPerBeat.size(); ++i, ++beats) {
        for (auto it = watch.timerEventsPerBeat[i].cbegin();
             it != watch.timerEventsPerBeat[i].cend(); ++it)
            total[it.key()] += it.value();
    }
    std::printf("\nTimer events handled per beat (one show to the next), over %d beats:\n", beats);
    for (auto it = total.cbegin(); it != total.cend(); ++it)
        std::printf("  %-20s %.2f\n", qPrintable(it.key()), double(it.value()) / beats);
    return 0;
}

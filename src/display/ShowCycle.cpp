#include "display/ShowCycle.h"

#include "display/FrmDisp.h"
#include "display/RandomSource.h"
#include "library/LibraryFiles.h"
#include "settings/DisplaySettings.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsText.h"
#include "settings/StoredSettings.h"

#include <QFontMetrics>
#include <QPromise>
#include <QThreadPool>
#include <memory>
#include <utility>

ShowCycle::ShowCycle(DisplaySettings& settings, SettingsStore& store, const QString& appFolder,
                     QObject* parent)
    : QObject(parent), m_settings(settings), m_store(store), m_pool(appFolder)
{
    // Precise: a coarse timer may drift by a twentieth of a long interval.
    m_pacingClock.setTimerType(Qt::PreciseTimer);
    m_pacingClock.setInterval(0);
    connect(&m_pacingClock, &QTimer::timeout, this, &ShowCycle::Timer1_Timer);
}

// A message still on the screen keeps its own clock, goes when its duration ends, and takes
// its window with it.
ShowCycle::~ShowCycle()
{
    if (m_gather)
        m_gather->cancel();
    if (!m_disp)
        return;
    if (m_disp->isVisible()) {
        disconnect(m_disp, nullptr, this, nullptr);
        connect(m_disp, &FrmDisp::messageEnded, m_disp, &QObject::deleteLater);
    } else {
        delete m_disp.data();
    }
}

FrmDisp* ShowCycle::displayWindow() const
{
    return m_disp.data();
}

void ShowCycle::cmdStart_Click()
{
    emit aboutToToggle();
    if (m_showing) {
        stopShow();
        return;
    }
    startShow();
    emit startPressed();
}

void ShowCycle::startShow()
{
    // Whether the show starts is decided at the press; the messages are read in the
    // background, so that a library of any size never holds up the window.
    if (!LibraryFiles(m_pool.appFolder()).hasSelectionList())
        return;
    m_pool = MessagePool(m_pool.appFolder());
    gatherPool();
    m_showing = true;
    if (m_settings.DispInterval >= 0 && m_settings.DispInterval < IntervalChoices::count)
        m_pacingClock.setInterval(m_settings.intervalMs());
    enablePacingClock();
    m_settings.AutoDisplay = true;
    emit showingChanged(true);
}

void ShowCycle::stopShow()
{
    const std::optional<bool> stored = SettingsText::toBool(
        m_store.GetSetting(StoredSettings::kSection, QLatin1String(SettingKeys::AutoDisplay.name)));
    if (stored && !*stored)
        return;
    if (m_gather)
        m_gather->cancel();
    m_gather = nullptr;
    m_beatWaits = false;
    // Not needed again before the next start, which gathers anew.
    m_pool = MessagePool(m_pool.appFolder());
    m_pacingClock.stop();
    m_pacingClock.setInterval(0);
    unloadDisplayWindow();
    m_showing = false;
    m_paused = false;
    m_settings.AutoDisplay = false;
    emit showingChanged(false);
}

void ShowCycle::gatherPool()
{
    auto promise = std::make_shared<QPromise<MessagePool>>();
    auto* gather = new QFutureWatcher<MessagePool>(this);
    m_gather = gather;
    connect(gather, &QFutureWatcherBase::finished, this, [this, gather] {
        gather->deleteLater();
        if (gather != m_gather)
            return;
        m_gather = nullptr;
        takePool(gather->future().takeResult());
    });
    gather->setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, folder = m_pool.appFolder()] {
        promise->start();
        MessagePool pool(folder);
        // A selection list gone since the press leaves the pool empty: the show then runs as
        // with nothing ticked.
        pool.GatherMessages([&promise] { return promise->isCanceled(); });
        promise->addResult(std::move(pool));
        promise->finish();
    });
}

void ShowCycle::takePool(MessagePool pool)
{
    m_pool = std::move(pool);
    // The "As Written" place carries over from the last start while it still names a
    // message of the rebuilt pool.
    if (m_next > m_pool.last())
        m_next = 0;
    emit poolReady();
    if (std::exchange(m_beatWaits, false))
        Timer1_Timer();
    else
        prepareWindow();
}

void ShowCycle::pause()
{
    if (!m_showing)
        return;
    m_paused = true;
    m_beatWaits = false;
    m_pacingClock.stop();
}

void ShowCycle::resume()
{
    if (std::exchange(m_paused, false))
        enablePacingClock();
}

void ShowCycle::enablePacingClock()
{
    if (!m_showing || m_paused)
        return;
    // An interval of 0 would fire at once and for ever; the clock then stays idle instead.
    if (m_pacingClock.interval() > 0)
        m_pacingClock.start();
    prepareWindow();
}

void ShowCycle::prepareWindow()
{
    if (m_disp || m_pool.isEmpty())
        return;
    m_disp = new FrmDisp;
    m_disp->showOn(m_monitors);
    // Gone first, then the pause: the next message comes one full interval after this one
    // vanished.
    connect(m_disp, &FrmDisp::messageEnded, this, &ShowCycle::enablePacingClock);
}

void ShowCycle::showOn(int monitors)
{
    m_monitors = monitors;
    if (m_disp)
        m_disp->showOn(monitors);
}

void ShowCycle::unloadDisplayWindow()
{
    if (m_disp)
        m_disp->Unload();
}

void ShowCycle::Timer1_Timer()
{
    unloadDisplayWindow();
    if (m_paused || (m_held && m_held()))
        return;
    if (m_gather) {
        m_beatWaits = true;
        return;
    }
    if (m_pool.isEmpty()) {
        // Nothing to show: the design caption never reaches the screen, and the clock keeps
        // running so the next beat comes one interval later.
        return;
    }
    prepareWindow();
    m_disp->dressLabel(m_settings.messageFont(),
                       DisplaySettings::colorFromValue(m_settings.FontColor));

    const qint32 last = qint32(m_pool.last());
    qint32 index = 0;
    if (m_settings.RandomMessage == 0) {
        index = MessagePool::randomIndex(RandomSource::current().next(), last);
    } else {
        if (m_next < 0 || m_next > last)
            m_next = 0;
        index = m_next;
        m_next = m_next == last ? 0 : m_next + 1;
    }
    // Only what can reach the screen is decoded. The reach is taken generously, from the whole
    // screen and twice the lines, as the label may settle the font a little differently.
    ScreenCut::Reach reach =
        ScreenCut::reach(QFontMetrics(m_settings.messageFont()), m_disp->largestRoom());
    reach.lines = reach.lines * 2 + 1;
    m_disp->PresentMessage(m_pool.at(index, reach), m_settings);
    m_pacingClock.stop();
}

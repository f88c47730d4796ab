#include "display/ShowCycle.h"

#include "display/FrmDisp.h"
#include "display/RandomSource.h"
#include "settings/DisplaySettings.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsText.h"
#include "settings/StoredSettings.h"

#include <QAction>

ShowCycle::ShowCycle(DisplaySettings& settings, SettingsStore& store, const QString& appFolder,
                     QAction* cmdStart, QAction* cmdNext, QObject* parent)
    : QObject(parent), m_settings(settings), m_store(store), m_cmdStart(cmdStart),
      m_cmdNext(cmdNext), m_pool(appFolder)
{
    // Precise: a coarse timer may drift by a twentieth of a long interval.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ShowCycle::Timer1_Timer);
    setCaptions(kStartCaption);
}

// A message still on the screen keeps its own clock and goes when its duration ends.
ShowCycle::~ShowCycle()
{
    delete m_prepared.data();
}

bool ShowCycle::isShowing() const
{
    const QString caption = m_cmdStart ? m_cmdStart->text() : m_caption;
    return caption == kStopCaption;
}

FrmDisp* ShowCycle::displayWindow() const
{
    return m_disp.data();
}

void ShowCycle::setCaptions(const QString& caption)
{
    m_caption = caption;
    if (m_cmdStart)
        m_cmdStart->setText(caption);
    if (m_cmdNext)
        m_cmdNext->setText(caption);
}

void ShowCycle::cmdStart_Click()
{
    if (saveSettings)
        saveSettings();
    const QString caption = m_cmdStart ? m_cmdStart->text() : m_caption;
    if (caption == kStartCaption)
        startShow();
    else
        stopShow();
}

void ShowCycle::startShow()
{
    if (m_pool.GatherMessages()) {
        // The "As Written" place carries over from the last start while it still names a
        // message of the rebuilt pool.
        if (m_next > m_pool.last())
            m_next = 0;
        setCaptions(kStopCaption);
        if (m_settings.DispInterval >= 0 && m_settings.DispInterval < IntervalChoices::count)
            m_timer.setInterval(m_settings.intervalMs());
        enablePacingClock();
        m_settings.AutoDisplay = true;
        if (setPictures)
            setPictures(QStringLiteral("stop-showing"), QStringLiteral("stop-showing-2"));
    }
    if (sendAway)
        sendAway();
}

void ShowCycle::stopShow()
{
    const std::optional<bool> stored = SettingsText::toBool(
        m_store.GetSetting(StoredSettings::kSection, QLatin1String(SettingKeys::AutoDisplay.name)));
    if (stored && !*stored)
        return;
    m_timer.stop();
    m_timer.setInterval(0);
    unloadDisplayWindow();
    delete m_prepared.data();
    setCaptions(kStartCaption);
    m_settings.AutoDisplay = false;
    if (setPictures)
        setPictures(QStringLiteral("start-showing"), QStringLiteral("start-showing-2"));
}

void ShowCycle::enablePacingClock()
{
    if (!isShowing())
        return;
    // An interval of 0 would fire at once and for ever; the clock then stays idle instead.
    if (m_timer.interval() > 0)
        m_timer.start();
    prepareWindow();
}

void ShowCycle::prepareWindow()
{
    if (m_prepared || m_pool.isEmpty())
        return;
    m_prepared = new FrmDisp(this);
    m_prepared->winId(); // makes the native window now, not at the beat
}

void ShowCycle::unloadDisplayWindow()
{
    if (m_disp) {
        m_disp->hide();
        delete m_disp.data();
    }
}

void ShowCycle::Timer1_Timer()
{
    unloadDisplayWindow();
    if (m_pool.isEmpty()) {
        // Nothing to show: the design caption never reaches the screen, and the clock keeps
        // running so the next beat comes one interval later.
        return;
    }
    m_disp = m_prepared ? m_prepared.data() : new FrmDisp(this);
    m_prepared = nullptr;
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
    m_disp->PresentMessage(m_pool.at(index), m_settings);
    m_timer.stop();
}

#include "display/ShowHold.h"

#include "display/DoNotDisturbWatch.h"
#include "display/FullScreenWatch.h"
#include "display/PauseClock.h"
#include "display/ShowCycle.h"
#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"

ShowHold::ShowHold(ShowCycle& cycle, SettingsStore& store, QObject* parent)
    : ShowHold(cycle, store, PauseClock::system(), std::make_unique<DoNotDisturbWatch>(), parent)
{
}

ShowHold::ShowHold(ShowCycle& cycle, SettingsStore& store, std::unique_ptr<PauseClock> clock,
                   std::unique_ptr<DoNotDisturbWatch> doNotDisturb, QObject* parent)
    : QObject(parent), m_cycle(cycle), m_store(store), m_clock(std::move(clock)),
      m_doNotDisturb(std::move(doNotDisturb))
{
    StoredSettings::loadChoices(m_store, m_choices);
    follow();
    connect(m_clock.get(), &PauseClock::woke, this, &ShowHold::lookAtTheClock);
    connect(m_doNotDisturb.get(), &DoNotDisturbWatch::sourceFound, this,
            &ShowHold::doNotDisturbFound);
    // A stop ends a pause: the next start shows at once.
    connect(&m_cycle, &ShowCycle::showingChanged, this, [this](bool showing) {
        if (!showing && m_until.isValid()) {
            m_until = {};
            m_clock->wakeAt({});
        }
        emit pauseChanged();
    });
    m_cycle.setBeatHold([this] { return holdsBeat(); });
    m_doNotDisturb->probe();
}

ShowHold::~ShowHold()
{
    m_cycle.setBeatHold({});
}

void ShowHold::pauseFor(std::chrono::minutes length)
{
    pauseTill(m_clock->now().addSecs(std::chrono::seconds(length).count()));
}

void ShowHold::pauseUntilResumed()
{
    pauseTill({});
}

void ShowHold::pauseTill(const QDateTime& until)
{
    if (!m_cycle.isShowing())
        return;
    m_until = until;
    m_clock->wakeAt(until);
    m_cycle.pause();
    emit pauseChanged();
}

void ShowHold::resume()
{
    if (!m_cycle.isPaused())
        return;
    m_until = {};
    m_clock->wakeAt({});
    m_cycle.resume();
    emit pauseChanged();
}

bool ShowHold::isPaused() const
{
    return m_cycle.isPaused();
}

bool ShowHold::isShowing() const
{
    return m_cycle.isShowing();
}

QString ShowHold::storeFileName() const
{
    return m_store.fileName();
}

// The alarm goes off when the time has come, and also when the clock was set: then the pause
// goes on towards the same time of day.
void ShowHold::lookAtTheClock()
{
    if (!m_until.isValid() || !m_cycle.isPaused())
        return;
    if (m_clock->now() >= m_until)
        resume();
    else
        m_clock->wakeAt(m_until);
}

QString ShowHold::pauseWords() const
{
    if (!isPaused())
        return {};
    if (!m_until.isValid())
        return QStringLiteral("paused until I resume");
    return QStringLiteral("paused until %1").arg(m_until.toLocalTime().toString(u"HH:mm"));
}

Outcome ShowHold::setHoldWhileFullScreen(bool hold)
{
    ShowChoices changed = m_choices;
    changed.HoldWhileFullScreen = hold;
    return store(changed);
}

Outcome ShowHold::setHoldDuringDoNotDisturb(bool hold)
{
    ShowChoices changed = m_choices;
    changed.HoldDuringDoNotDisturb = hold;
    return store(changed);
}

Outcome ShowHold::setShowMessagesOn(int monitors)
{
    ShowChoices changed = m_choices;
    changed.ShowMessagesOn = monitors;
    return store(changed);
}

Outcome ShowHold::store(ShowChoices changed)
{
    if (const Outcome saved = StoredSettings::saveChoices(m_store, changed); !saved.ok())
        return saved;
    m_choices = changed;
    follow();
    return {};
}

void ShowHold::follow()
{
    if (!m_choices.HoldWhileFullScreen)
        m_fullScreen.reset();
    else if (!m_fullScreen)
        m_fullScreen = std::make_unique<FullScreenWatch>();
    m_doNotDisturb->follow(m_choices.HoldDuringDoNotDisturb);
    m_cycle.showOn(m_choices.ShowMessagesOn);
}

bool ShowHold::doNotDisturbAvailable() const
{
    using Source = DoNotDisturbWatch::Source;
    return m_doNotDisturb->source() == Source::NotificationService ||
           m_doNotDisturb->source() == Source::GnomeBanners;
}

bool ShowHold::fullScreenAvailable()
{
    return FullScreenWatch::available();
}

bool ShowHold::holdsBeat()
{
    if (m_choices.HoldDuringDoNotDisturb && m_doNotDisturb->isOn())
        return true;
    return m_fullScreen && m_fullScreen->activeWindowIsFullScreen();
}

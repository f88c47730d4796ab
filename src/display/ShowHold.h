#pragma once

#include "core/Outcome.h"
#include "settings/ShowChoices.h"

#include <QDateTime>
#include <QObject>
#include <chrono>
#include <memory>

class DoNotDisturbWatch;
class FullScreenWatch;
class PauseClock;
class SettingsStore;
class ShowCycle;

// When a running show holds its messages: for a pause the user asked for, which ends by
// itself at a time of the wall clock (or when the user resumes), and, by the user's choices,
// while a full-screen window is active or the desktop is in Do Not Disturb. A pause stops the
// show's pacing clock; a held beat is skipped, and the next one shows when the reason is gone.
// A pause is no stop: the show stays on, and so does its stored state.
class ShowHold : public QObject
{
    Q_OBJECT
public:
    // On the computer's own clock, with a Do Not Disturb watch on the session bus.
    ShowHold(ShowCycle& cycle, SettingsStore& store, QObject* parent = nullptr);
    ShowHold(ShowCycle& cycle, SettingsStore& store, std::unique_ptr<PauseClock> clock,
             std::unique_ptr<DoNotDisturbWatch> doNotDisturb, QObject* parent = nullptr);
    ~ShowHold() override;

    // Only a running show pauses; a new pause replaces the one before.
    void pauseFor(std::chrono::minutes length);
    void pauseUntilResumed();
    void resume();
    bool isPaused() const;
    bool isShowing() const;
    // When the pause ends; invalid while paused until resumed, or not paused.
    QDateTime pausedUntil() const { return m_until; }
    // "paused until 14:35" (local time), "paused until I resume", or nothing.
    QString pauseWords() const;

    const ShowChoices& choices() const { return m_choices; }
    // Each choice is stored as soon as it changes; a choice that could not be stored is not
    // taken.
    Outcome setHoldWhileFullScreen(bool hold);
    Outcome setHoldDuringDoNotDisturb(bool hold);
    Outcome setShowMessagesOn(int monitors);
    // Where the choices are stored, for telling that they could not be.
    QString storeFileName() const;
    // Whether the desktop tells its Do Not Disturb state (known once doNotDisturbFound() was
    // announced), and whether there is an X server to ask about full-screen windows.
    bool doNotDisturbAvailable() const;
    static bool fullScreenAvailable();

    // The question the show asks at every beat.
    bool holdsBeat();

signals:
    void pauseChanged();
    void doNotDisturbFound();

private:
    void pauseTill(const QDateTime& until);
    void lookAtTheClock();
    Outcome store(ShowChoices changed);
    void follow();

    ShowCycle& m_cycle;
    SettingsStore& m_store;
    std::unique_ptr<PauseClock> m_clock;
    std::unique_ptr<DoNotDisturbWatch> m_doNotDisturb;
    std::unique_ptr<FullScreenWatch> m_fullScreen; // made while its choice is on
    ShowChoices m_choices;
    QDateTime m_until;
};

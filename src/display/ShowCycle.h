#pragma once

#include "display/MessagePool.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class FrmDisp;
class SettingsStore;
struct DisplaySettings;

// Switches the show on and off and, while it is on, hands one message of the pool to the
// display window at every beat of the pacing clock. The pacing clock is off while a
// message is visible and runs again when it goes, so one cycle lasts the interval plus the
// duration, and between beats no other timer of the show runs.
//
// Whether the show runs is held here and announced with showingChanged(); the controls that
// start and stop it, their captions and pictures, and the main window follow the signals.
class ShowCycle : public QObject
{
    Q_OBJECT

public:
    ShowCycle(DisplaySettings& settings, SettingsStore& store, const QString& appFolder,
              QObject* parent = nullptr);
    ~ShowCycle() override;

    // The press of a start/stop control: starts a stopped show, stops a running one.
    void cmdStart_Click();
    void cmdNext_Click() { cmdStart_Click(); }
    // One beat of the pacing clock: shows the next message. With an empty pool nothing is
    // shown and the next beat follows one interval later. A beat that comes while the
    // messages are still being gathered shows as soon as they are in.
    void Timer1_Timer();

    bool isShowing() const { return m_showing; }
    // A pause holds a running show with its pacing clock stopped; the show stays on, and its
    // stored state with it. A stop ends the pause; resuming starts a full interval.
    void pause();
    void resume();
    bool isPaused() const { return m_paused; }
    // Asked at every beat: a held beat shows nothing, and the next one follows an interval
    // later.
    void setBeatHold(std::function<bool()> held) { m_held = std::move(held); }
    QTimer& pacingClock() { return m_pacingClock; }
    // Where the messages show (ShowChoices::Monitors), from the next one on.
    void showOn(int monitors);
    // The display window, made when the show first starts and used for every message; it is
    // visible while a message is on the screen. nullptr before the first start.
    FrmDisp* displayWindow() const;
    // The messages of the ticked programs, gathered in the background after each start.
    const MessagePool& pool() const { return m_pool; }
    bool isGathering() const { return m_gather != nullptr; }
    int NextMessageIndex() const { return m_next; }

signals:
    // A press is about to act. The settings as they stand are stored now, so the stored show
    // state is the one from before the press.
    void aboutToToggle();
    void showingChanged(bool showing);
    // A press to start was handled, whether or not the show could start (there may be no
    // selection list): the main window makes way for the messages.
    void startPressed();
    // The messages gathered for the show that was started are in the pool.
    void poolReady();

private:
    void startShow();
    void stopShow();
    void gatherPool();
    void takePool(MessagePool pool);
    // Starts a new full interval once a message has gone. An interval that could not be set
    // leaves the show on with the clock idle.
    void enablePacingClock();
    void unloadDisplayWindow();
    void prepareWindow();

    DisplaySettings& m_settings;
    SettingsStore& m_store;
    bool m_showing = false;
    bool m_paused = false;
    std::function<bool()> m_held;
    MessagePool m_pool;
    // The gathering the running show waits for; one that a stop left behind runs on
    // unheeded and its pool is dropped.
    QFutureWatcher<MessagePool>* m_gather = nullptr;
    bool m_beatWaits = false;
    qint32 m_next = 0;
    QTimer m_pacingClock;
    QPointer<FrmDisp> m_disp;
    int m_monitors = 0;
};

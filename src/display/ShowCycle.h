#pragma once

#include "display/MessagePool.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class FrmDisp;
class QAction;
class SettingsStore;
struct DisplaySettings;

// Switches the show on and off and, while it is on, hands one message of the pool to a
// fresh display window at every beat of the pacing clock. The pacing clock is off while a
// message is visible and runs again when it goes, so one cycle lasts the interval plus the
// duration, and between beats no other timer of the show runs.
class ShowCycle : public QObject
{
    Q_OBJECT

public:
    static inline const QString kStartCaption = QStringLiteral("Start Showing Subliminal Messages");
    static inline const QString kStopCaption = QStringLiteral("Stop");

    ShowCycle(DisplaySettings& settings, SettingsStore& store, const QString& appFolder,
              QAction* cmdStart, QAction* cmdNext, QObject* parent = nullptr);
    ~ShowCycle() override;

    // Saves all settings (cmdSaveSettings_Click); run first by every press.
    std::function<void()> saveSettings;
    // Sends the main window to the tray as a close from its title bar does.
    std::function<void()> sendAway;
    // Sets the pictures of picStart, and of picStart1 and picStartInSettings.
    std::function<void(const QString& picStartKey, const QString& picStart1AndSettingsKey)>
        setPictures;

    void cmdStart_Click();
    void cmdNext_Click() { cmdStart_Click(); }
    // One beat: shows the next message. With an empty pool nothing is shown and the next
    // beat follows one interval later.
    void Timer1_Timer();

    bool isShowing() const;
    QTimer& Timer1() { return m_timer; }
    // The window of the message on the screen, or nullptr between messages.
    FrmDisp* displayWindow() const;
    MessagePool& pool() { return m_pool; }
    int NextMessageIndex() const { return m_next; }

    // Starts a new full interval; the display window calls it when its message goes. An
    // interval that could not be set leaves the show on with the clock idle.
    void enablePacingClock();

private:
    void startShow();
    void stopShow();
    void setCaptions(const QString& caption);
    void unloadDisplayWindow();
    void prepareWindow();

    DisplaySettings& m_settings;
    SettingsStore& m_store;
    QPointer<QAction> m_cmdStart;
    QPointer<QAction> m_cmdNext;
    QString m_caption = kStartCaption; // used only when there is no cmdStart
    MessagePool m_pool;
    qint32 m_next = 0;
    QTimer m_timer;
    QPointer<FrmDisp> m_disp;
    // The next message's window, made fresh and hidden in the pause before its beat, so that
    // the beat itself only dresses and shows it.
    QPointer<FrmDisp> m_prepared;
};

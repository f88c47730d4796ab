#pragma once

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <optional>

class QLabel;
class X11Flash;
struct DisplaySettings;

// The window that shows one message for its duration and then goes. One window serves every
// message: when a message goes it is hidden and put back as designed (caption "Test", the
// design font, its first size), so each message starts from the same window and the process
// makes no new native window, and leaves nothing behind, however many messages it shows.
//
// The message never takes the keyboard focus, so the user's typing goes on into the program
// they work in, and it is transparent to input: a click where it shows goes to the window
// below it. It is raised above every other window before each message.
//
// On X11 it is shown in a window of the program's own that Qt does not manage (X11Flash):
// this widget then holds the design, lays out and paints the picture, and is never shown
// itself. Elsewhere the widget is the window: a frameless tool window that stays on top; tool
// windows are kept out of the taskbar and the window switcher. (Should the X server's pixels
// not be plain 32-bit RGB, it is the window there too, one that bypasses the window manager.)
// It is never parented, so it outlives a main window that is closed while the message is
// visible and still goes when its duration ends.
class FrmDisp : public QWidget
{
    Q_OBJECT

public:
    FrmDisp();
    ~FrmDisp() override;

    QLabel* LblDisp() const { return m_label; }
    // Whether a message is on the screen (on X11 the widget itself never is).
    bool isVisible() const;
    // The duration clock: single-shot and precise, since the whole message lasts a few
    // tens of milliseconds.
    QTimer& durationClock() { return m_durationClock; }
    // How long the message on the screen stays, in milliseconds, counted from when its pixels
    // are on the screen; -1 when it stays until the show stops.
    int duration() const { return m_durationMs; }

    // Where messages show (ShowChoices::Monitors): on the primary monitor, on the monitor with
    // the mouse pointer, or on every monitor, the same message at the same place relative to
    // each, cut to each, shown and hidden together. Every monitor is an X11 window's gift;
    // elsewhere it means the primary monitor.
    void showOn(int monitors);
    // The largest room a message may be cut to where it shows now.
    QSize largestRoom() const;

    // Dresses the label in the whole message font and its colour.
    void dressLabel(const QFont& font, const QColor& color);
    // Shows `text`: placed at the centre or at a random place, fitted to the text (cut to
    // the screen when it is larger), on the screen for the chosen duration. With a duration
    // index outside its list the duration clock is never armed and the message stays until
    // the show is stopped.
    void PresentMessage(const QString& text, const DisplaySettings& settings);
    // Keeps the window above all others, should the platform ever activate it.
    void Form_Activate();
    // The end of the message, when the duration clock fires: the window goes, is put back as
    // designed and announces it.
    void Timer1_Timer();
    // Takes a message off the screen at once (the show stops): its duration clock never
    // fires and nothing is announced.
    void Unload();

signals:
    // The message has left the screen: the pause before the next one begins now.
    void messageEnded();

protected:
    void changeEvent(QEvent* event) override;

private:
    void loadDesign();
    void setLook(const QFont& font, const QColor& color);
    // The monitors the next message shows on, the primary (or the pointer's) first.
    QList<QRect> targetMonitors() const;
    // Fits the label to `text` cut to `room`.
    void fitLabel(const QString& text, const QSize& room);
    void startDuration();
    void durationEnded();

    QLabel* m_label = nullptr;
    std::unique_ptr<X11Flash> m_flash;
    const bool m_bypassesManager;
    QTimer m_durationClock;
    int m_durationMs = -1;
    std::optional<std::chrono::steady_clock::time_point> m_endAt;
    // The duration runs from the moment the message's pixels are on the screen; on a
    // platform that cannot tell, from the show.
    bool m_waitForPixels = false;
    // How long past its duration a message waits for its pixels before it ends unseen.
    static constexpr int kExposeGraceMs = 1000;
    bool m_designed = false;
    int m_monitors = 0;
};

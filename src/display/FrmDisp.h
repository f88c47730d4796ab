#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;
struct DisplaySettings;

// The window that shows one message for its duration and then goes. A fresh one is made for
// every message; it deletes itself when its duration ends.
//
// It is a frameless tool window that stays on top and never takes the keyboard focus, so
// the user's typing goes on into the program they work in; tool windows are kept out of the
// taskbar and the window switcher. On X11 it also bypasses the window manager
// (override-redirect): the manager then neither decorates, focuses nor lists it, and a
// newly mapped unmanaged window is stacked above every managed one, full-screen ones
// included. It is never parented, so it outlives a main window that is closed while the
// message is visible and still goes when its duration ends.
class FrmDisp : public QWidget
{
    Q_OBJECT

public:
    FrmDisp();

    QLabel* LblDisp() const { return m_label; }
    // The duration clock: single-shot and precise, since the whole message lasts a few
    // tens of milliseconds.
    QTimer& durationClock() { return m_durationClock; }

    // Dresses the label in the whole message font and its colour.
    void dressLabel(const QFont& font, const QColor& color);
    // Shows `text`: placed at the centre or at a random place, fitted to the text, on the
    // screen for the chosen duration. With a duration index outside its list the duration
    // clock is never armed and the message stays until the show is stopped.
    void PresentMessage(const QString& text, const DisplaySettings& settings);
    // Keeps the window above all others, should the platform ever activate it.
    void Form_Activate();
    // The end of the message, when the duration clock fires: the window goes, announces it,
    // and deletes itself.
    void Timer1_Timer();

signals:
    // The message has left the screen: the pause before the next one begins now.
    void messageEnded();

protected:
    void changeEvent(QEvent* event) override;

private:
    QLabel* m_label = nullptr;
    QTimer m_durationClock;
};

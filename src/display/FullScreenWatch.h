#pragma once

#include <memory>

// Whether the active window fills the screen: the window the root window's
// _NET_ACTIVE_WINDOW names carries _NET_WM_STATE_FULLSCREEN. On X11, and through XWayland on a
// Wayland desktop; elsewhere no window is ever full screen.
class FullScreenWatch
{
public:
    FullScreenWatch();
    ~FullScreenWatch();

    // There is an X server to ask.
    static bool available();
    // Two round trips to the X server; the connection is made at the first question.
    bool activeWindowIsFullScreen();

private:
    struct Connection;
    std::unique_ptr<Connection> m_x;
};

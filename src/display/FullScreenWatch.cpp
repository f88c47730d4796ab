#include "display/FullScreenWatch.h"

#include <QGuiApplication>

#ifdef ZENTRIVO_HAVE_XCB
#include <xcb/xcb.h>

#include <QList>
#include <cstdlib>
#include <cstring>

struct FullScreenWatch::Connection
{
    xcb_connection_t* c = nullptr;
    bool own = false; // made here, not the platform's
    xcb_window_t root = 0;
    xcb_atom_t active = 0;
    xcb_atom_t state = 0;
    xcb_atom_t fullScreen = 0;

    ~Connection()
    {
        if (own && c)
            xcb_disconnect(c);
    }
    xcb_atom_t atom(const char* name) const
    {
        const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, uint16_t(strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
        const xcb_atom_t a = reply ? reply->atom : 0;
        free(reply);
        return a;
    }
    // The values of a property, or none.
    template <typename T> QList<T> property(xcb_window_t w, xcb_atom_t name, xcb_atom_t type) const
    {
        const auto cookie = xcb_get_property(c, 0, w, name, type, 0, 64);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
        QList<T> values;
        if (reply && reply->format == 32) {
            const auto* v = static_cast<const T*>(xcb_get_property_value(reply));
            values = QList<T>(v, v + xcb_get_property_value_length(reply) / 4);
        }
        free(reply);
        return values;
    }
};

FullScreenWatch::FullScreenWatch() = default;
FullScreenWatch::~FullScreenWatch() = default;

bool FullScreenWatch::available()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") ||
           qEnvironmentVariableIsSet("DISPLAY");
}

bool FullScreenWatch::activeWindowIsFullScreen()
{
    if (!m_x) {
        m_x = std::make_unique<Connection>();
        int screen = 0;
        if (const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            m_x->c = x11->connection();
        } else if (qEnvironmentVariableIsSet("DISPLAY")) {
            m_x->c = xcb_connect(nullptr, &screen);
            m_x->own = true;
        }
        if (!m_x->c || xcb_connection_has_error(m_x->c))
            return false;
        auto roots = xcb_setup_roots_iterator(xcb_get_setup(m_x->c));
        for (; screen > 0 && roots.rem > 1; --screen)
            xcb_screen_next(&roots);
        m_x->root = roots.data->root;
        m_x->active = m_x->atom("_NET_ACTIVE_WINDOW");
        m_x->state = m_x->atom("_NET_WM_STATE");
        m_x->fullScreen = m_x->atom("_NET_WM_STATE_FULLSCREEN");
    }
    if (!m_x->c || xcb_connection_has_error(m_x->c) || !m_x->fullScreen)
        return false;
    const QList<xcb_window_t> active =
        m_x->property<xcb_window_t>(m_x->root, m_x->active, XCB_ATOM_WINDOW);
    if (active.isEmpty() || active.first() == XCB_WINDOW_NONE)
        return false;
    return m_x->property<xcb_atom_t>(active.first(), m_x->state, XCB_ATOM_ATOM)
        .contains(m_x->fullScreen);
}

#else

struct FullScreenWatch::Connection
{
};
FullScreenWatch::FullScreenWatch() = default;
FullScreenWatch::~FullScreenWatch() = default;
bool FullScreenWatch::available()
{
    return false;
}
bool FullScreenWatch::activeWindowIsFullScreen()
{
    return false;
}

#endif

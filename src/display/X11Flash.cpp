#include "display/X11Flash.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSocketNotifier>

#ifdef ZENTRIVO_HAVE_XCB
#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <unistd.h>

namespace {

// The depth of `screen` when its pixels are laid out as a 32-bit RGB image is (8 bits per
// colour, one unused byte, least significant byte first): the layout of QImage::Format_RGB32.
int plainDepth(xcb_connection_t* c, const xcb_screen_t* screen)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (!setup || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST || !screen ||
        screen->root_depth != 24)
        return 0;
    bool bits32 = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == 24)
            bits32 = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
    if (!bits32)
        return 0;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id == screen->root_visual)
                return v.data->red_mask == 0xff0000 && v.data->green_mask == 0xff00 &&
                               v.data->blue_mask == 0xff
                           ? 24
                           : 0;
        }
    }
    return 0;
}

xcb_screen_t* screenOf(xcb_connection_t* c, int number)
{
    for (auto s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s), --number)
        if (number == 0)
            return s.data;
    return nullptr;
}

// The names a window of this program carries on the server, as the program's other windows
// carry them: title, instance and class, process; asked for in one go.
void nameWindow(xcb_connection_t* c, xcb_window_t window, const QString& title)
{
    static constexpr std::array<const char*, 3> names{"_NET_WM_NAME", "UTF8_STRING", "_NET_WM_PID"};
    std::array<xcb_intern_atom_cookie_t, names.size()> cookies{};
    for (std::size_t i = 0; i < names.size(); ++i)
        cookies[i] = xcb_intern_atom(c, 0, quint16(qstrlen(names[i])), names[i]);
    std::array<xcb_atom_t, names.size()> atoms{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookies[i], nullptr);
        atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_NONE);
        std::free(reply);
    }
    const auto [netName, utf8, netPid] = atoms;

    const QByteArray name = title.toUtf8();
    if (utf8 != XCB_NONE) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, utf8, 8,
                            quint32(name.size()), name.constData());
        if (netName != XCB_NONE)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, netName, utf8, 8,
                                quint32(name.size()), name.constData());
    }
    QString instance = qEnvironmentVariable("RESOURCE_NAME");
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (instance.isEmpty())
        instance = program;
    QString className = QCoreApplication::applicationName();
    if (className.isEmpty() && !program.isEmpty())
        className = program.at(0).toUpper() + program.mid(1);
    const QByteArray wmClass = instance.toLocal8Bit() + '\0' + className.toLocal8Bit() + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        quint32(wmClass.size()), wmClass.constData());
    if (netPid != XCB_NONE) {
        const auto pid = quint32(getpid());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, netPid, XCB_ATOM_CARDINAL, 32, 1,
                            &pid);
    }
    // The input hint, and the input focus refused.
    const std::array<quint32, 9> hints{1, 0, 0, 0, 0, 0, 0, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                        quint32(hints.size()), hints.data());
}

} // namespace

X11Flash::X11Flash(xcb_connection_t* connection, int depth)
    : m_connection(connection), m_depth(depth)
{
}

std::unique_ptr<X11Flash> X11Flash::open(const QString& title)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    xcb_screen_t* screen = xcb_connection_has_error(c) ? nullptr : screenOf(c, screenNumber);
    const int depth = screen ? plainDepth(c, screen) : 0;
    // An empty input shape needs the shape extension's input kind (version 1.1).
    const xcb_query_extension_reply_t* shape =
        depth ? xcb_get_extension_data(c, &xcb_shape_id) : nullptr;
    xcb_shape_query_version_reply_t* version =
        shape && shape->present
            ? xcb_shape_query_version_reply(c, xcb_shape_query_version(c), nullptr)
            : nullptr;
    const bool inputShape =
        version && (version->major_version > 1 ||
                    (version->major_version == 1 && version->minor_version >= 1));
    std::free(version);
    if (!inputShape) {
        xcb_disconnect(c);
        return nullptr;
    }
    std::unique_ptr<X11Flash> flash(new X11Flash(c, depth));
    flash->m_root = screen->root;
    flash->m_visual = screen->root_visual;
    flash->m_title = title;
    flash->m_windows.push_back(flash->makeWindow());
    flash->m_gc = xcb_generate_id(c);
    xcb_create_gc(c, flash->m_gc, flash->m_windows.front(), 0, nullptr);
    // A screen-sized picture is more than one request may carry: it goes in bands of rows.
    flash->m_maxRequestBytes = std::size_t(xcb_get_maximum_request_length(c)) * 4 - 64;
    xcb_flush(c);

    flash->m_events =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    X11Flash* self = flash.get();
    connect(self->m_events.get(), &QSocketNotifier::activated, self,
            [self] { self->takeEvents(true); });
    return flash;
}

quint32 X11Flash::makeWindow()
{
    xcb_connection_t* c = m_connection;
    const xcb_window_t window = xcb_generate_id(c);
    const std::array<quint32, 4> values{XCB_BACK_PIXMAP_NONE, 0, 1, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, m_root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, m_visual,
                      XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                          XCB_CW_EVENT_MASK,
                      values.data());
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         window, 0, 0, 0, nullptr);
    nameWindow(c, window, m_title);
    return window;
}

void X11Flash::dropExtraWindows()
{
    if (m_windows.size() < 2)
        return;
    for (std::size_t i = 1; i < m_windows.size(); ++i)
        xcb_destroy_window(m_connection, m_windows[i]);
    m_windows.resize(1);
    xcb_flush(m_connection);
}

X11Flash::~X11Flash()
{
    m_events.reset();
    // Closing the connection takes its window, picture and graphics context with it.
    xcb_disconnect(m_connection);
}

void X11Flash::show(const std::vector<Piece>& pieces)
{
    xcb_connection_t* c = m_connection;
    // A window made here asks the server for its names' atoms: before the pictures go, so
    // they still leave in one write.
    while (m_windows.size() < pieces.size())
        m_windows.push_back(makeWindow());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const QRect& area = pieces[i].area;
        const QImage& picture = pieces[i].picture;
        const xcb_window_t window = m_windows[i];
        const auto width = quint16(area.width());
        const auto height = quint16(area.height());
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        xcb_create_pixmap(c, quint8(m_depth), pixmap, window, width, height);
        const auto rowBytes = std::size_t(picture.bytesPerLine());
        const int bandRows = int(std::max<std::size_t>(1, m_maxRequestBytes / rowBytes));
        for (int y = 0; y < height; y += bandRows) {
            const int rows = std::min(bandRows, height - y);
            xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, m_gc, width, quint16(rows), 0,
                          qint16(y), 0, quint8(m_depth), quint32(rowBytes * std::size_t(rows)),
                          picture.constScanLine(y));
        }
        xcb_change_window_attributes(c, window, XCB_CW_BACK_PIXMAP, &pixmap);
        // The window holds the picture as long as it needs it.
        xcb_free_pixmap(c, pixmap);
        // Placed, fitted and brought above the windows shown since the last message in one
        // request.
        const std::array<quint32, 5> geometry{quint32(area.x()), quint32(area.y()), width, height,
                                              XCB_STACK_MODE_ABOVE};
        xcb_configure_window(c, window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                             geometry.data());
    }
    // The maps wait for the server's answer to a question sent behind the pictures: they go
    // once it has taken every picture, so the flash appears on a server with nothing more of
    // ours to do and its clock starts at once. Nothing waits for the answer.
    if (m_mapPending)
        xcb_discard_reply(c, m_readySequence);
    m_readySequence = xcb_get_input_focus(c).sequence;
    m_mapPending = true;
    m_shown = pieces.size();
    m_exposed = false;
    xcb_flush(c);
    // A write that had to wait for the server may have read the answer already.
    takeEvents(false);
}

void X11Flash::mapWhenReady()
{
    if (!m_mapPending)
        return;
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (!xcb_poll_for_reply(m_connection, m_readySequence, &reply, &error))
        return;
    std::free(reply);
    std::free(error);
    m_mapPending = false;
    // The maps go together: every picture appears at the same moment.
    for (std::size_t i = 0; i < m_shown; ++i) {
        const quint16 sequence = quint16(xcb_map_window(m_connection, m_windows[i]).sequence);
        if (i == 0)
            m_mapSequence = sequence;
    }
    xcb_flush(m_connection);
}

void X11Flash::hide()
{
    if (m_shown == 0)
        return;
    if (m_mapPending) {
        // Taken off before it was put up: it never will be.
        m_mapPending = false;
        xcb_discard_reply(m_connection, m_readySequence);
    }
    const quint32 none = XCB_BACK_PIXMAP_NONE;
    for (std::size_t i = 0; i < m_shown; ++i)
        xcb_unmap_window(m_connection, m_windows[i]);
    for (std::size_t i = 0; i < m_shown; ++i)
        xcb_change_window_attributes(m_connection, m_windows[i], XCB_CW_BACK_PIXMAP, &none);
    m_shown = 0;
    // Sent now: the message leaves the screen on time.
    xcb_flush(m_connection);
}

void X11Flash::takeEvents(bool readSocket)
{
    while (xcb_generic_event_t* event = readSocket ? xcb_poll_for_event(m_connection)
                                                   : xcb_poll_for_queued_event(m_connection)) {
        // Only the exposure is asked for; errors have nothing to tell a window that is only
        // ever shown and hidden, and are dropped with the rest.
        const bool expose = (event->response_type & 0x7f) == XCB_EXPOSE;
        // Sequence numbers wrap at 16 bits: "at or after the map" is a difference below half.
        const bool sinceMap = quint16(event->sequence - m_mapSequence) < 0x8000;
        std::free(event);
        if (expose && sinceMap && m_shown > 0 && !m_mapPending && !m_exposed) {
            m_exposed = true;
            emit exposed();
        }
    }
    // The answer, read with the events or read now.
    mapWhenReady();
    if (xcb_connection_has_error(m_connection))
        m_events->setEnabled(false);
}

#else

X11Flash::X11Flash(xcb_connection_t* connection, int depth)
    : m_connection(connection), m_depth(depth)
{
}

std::unique_ptr<X11Flash> X11Flash::open(const QString&)
{
    return nullptr;
}

X11Flash::~X11Flash() = default;

quint32 X11Flash::makeWindow()
{
    return 0;
}

void X11Flash::show(const std::vector<Piece>&) {}

void X11Flash::hide() {}

void X11Flash::dropExtraWindows() {}

void X11Flash::takeEvents(bool) {}

void X11Flash::mapWhenReady() {}

#endif

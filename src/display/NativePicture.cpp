#include "display/NativePicture.h"

#include <QGuiApplication>
#include <QImage>
#include <QWindow>

#ifdef ZENTRIVO_HAVE_XCB
#include <xcb/xcb.h>

#include <algorithm>

namespace {

xcb_connection_t* connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The screen's depth when its pixels are laid out as a 32-bit RGB image is (8 bits per
// colour, one unused byte, least significant byte first): the layout of QImage::Format_RGB32.
int plainDepth(xcb_connection_t* c)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (!setup || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return 0;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    if (!screen || screen->root_depth != 24)
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

} // namespace

bool NativePicture::available()
{
    xcb_connection_t* c = connection();
    return c && plainDepth(c) != 0;
}

bool NativePicture::setBackground(const QWindow& window, const QImage& picture)
{
    xcb_connection_t* c = connection();
    const int depth = c ? plainDepth(c) : 0;
    if (!depth || picture.format() != QImage::Format_RGB32 || picture.isNull() ||
        window.devicePixelRatio() != 1.0 || window.format().hasAlpha())
        return false;
    const auto id = xcb_window_t(window.winId());
    const auto width = quint16(picture.width());
    const auto height = quint16(picture.height());

    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, quint8(depth), pixmap, id, width, height);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    // A screen-sized picture is more than one request may carry: it goes in bands of rows.
    const std::size_t maxBytes = std::size_t(xcb_get_maximum_request_length(c)) * 4 - 64;
    const auto rowBytes = std::size_t(picture.bytesPerLine());
    const int bandRows = int(std::max<std::size_t>(1, maxBytes / rowBytes));
    for (int y = 0; y < height; y += bandRows) {
        const int rows = std::min(bandRows, height - y);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, width, quint16(rows), 0, qint16(y),
                      0, quint8(depth), quint32(rowBytes * std::size_t(rows)),
                      picture.constScanLine(y));
    }
    xcb_free_gc(c, gc);
    xcb_change_window_attributes(c, id, XCB_CW_BACK_PIXMAP, &pixmap);
    // The window holds the pixmap as long as it needs it.
    xcb_free_pixmap(c, pixmap);
    return true;
}

void NativePicture::clearBackground(const QWindow& window)
{
    xcb_connection_t* c = connection();
    if (!c || !window.handle())
        return;
    const quint32 none = XCB_BACK_PIXMAP_NONE;
    xcb_change_window_attributes(c, xcb_window_t(window.winId()), XCB_CW_BACK_PIXMAP, &none);
    // Sent now, with the unmap before it: the message leaves the screen on time.
    xcb_flush(c);
}

#else

bool NativePicture::available()
{
    return false;
}

bool NativePicture::setBackground(const QWindow&, const QImage&)
{
    return false;
}

void NativePicture::clearBackground(const QWindow&) {}

#endif

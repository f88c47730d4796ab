#pragma once

#include <QObject>
#include <QRect>
#include <memory>

class QImage;
class QSocketNotifier;
struct xcb_connection_t;

// The window a message is shown in on an X11 display: a window of the program's own, on a
// connection of its own, that Qt does not manage. A window managed by Qt costs, at every
// message, a round trip for its new place, size hints and a user time written to the server,
// and a hand-over of the events they bring back from Qt's X thread to the main thread; this
// one costs a handful of requests sent in one write and one wake-up when its pixels are on
// the screen, and no round trip at all.
//
// It bypasses the window manager (override-redirect), so no manager decorates, lists or
// focuses it; it tells the manager it takes no input focus, and its input shape is empty, so
// a click where it shows goes to the window below it. Its finished picture is its background,
// set before each map: the server shows the message whole from its first moment.
class X11Flash : public QObject
{
    Q_OBJECT

public:
    // A window on the display the program runs on, or none where there is no X11 display or
    // its pixels are not laid out as a 32-bit RGB image.
    static std::unique_ptr<X11Flash> open(const QString& title);
    ~X11Flash() override;

    // Shows `picture` (32-bit RGB, the size of `area`) at `area`, above every other window.
    void show(const QRect& area, const QImage& picture);
    // Takes the picture off the screen at once.
    void hide();
    bool isShown() const { return m_shown; }

signals:
    // The picture shown last is on the screen.
    void exposed();

private:
    X11Flash(xcb_connection_t* connection, int depth);
    // Handles the events that came, read from the connection's socket or only those already
    // read with a reply or during a write.
    void takeEvents(bool readSocket);

    xcb_connection_t* m_connection;
    quint32 m_window = 0;
    quint32 m_gc = 0;
    int m_depth;
    std::size_t m_maxRequestBytes = 0;
    std::unique_ptr<QSocketNotifier> m_events;
    bool m_shown = false;
    bool m_exposed = false;
    // The sequence number of the last map: an exposure reported before it belongs to an
    // earlier message.
    quint16 m_mapSequence = 0;
};

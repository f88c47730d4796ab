#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <memory>
#include <vector>

class QSocketNotifier;
struct xcb_connection_t;

// The window a message is shown in on an X11 display: a window of the program's own, on a
// connection of its own, that Qt does not manage. A window managed by Qt costs, at every
// message, a round trip for its new place, size hints and a user time written to the server,
// and a hand-over of the events they bring back from Qt's X thread to the main thread; this
// one costs two writes and at most two wake-ups, and never waits for the server: the pictures and a
// question go in one write, the server's answer (it has the pictures) sends the map, and the
// exposure tells that the pixels are on the screen.
//
// It bypasses the window manager (override-redirect), so no manager decorates, lists or
// focuses it; it tells the manager it takes no input focus, and its input shape is empty, so
// a click where it shows goes to the window below it. Its finished picture is its background,
// set before each map: the server shows the message whole from its first moment.
//
// A message shown on several monitors at once takes a window for each, all on this one
// connection: they are mapped in one write and unmapped in one write. The windows beyond the
// first are made when first needed and kept until dropped.
class X11Flash : public QObject
{
    Q_OBJECT

public:
    // A window on the display the program runs on, or none where there is no X11 display or
    // its pixels are not laid out as a 32-bit RGB image.
    static std::unique_ptr<X11Flash> open(const QString& title);
    ~X11Flash() override;

    // A picture (32-bit RGB, the size of `area`) and where it goes.
    struct Piece
    {
        QRect area;
        QImage picture;
    };
    // Shows each picture at its area, above every other window, in a window of its own: all
    // appear at once.
    void show(const std::vector<Piece>& pieces);
    // Takes the pictures off the screen at once.
    void hide();
    bool isShown() const { return m_shown > 0; }
    // Lets go of the windows beyond the first; none of them may be on the screen.
    void dropExtraWindows();

signals:
    // The picture shown last is on the screen.
    void exposed();

private:
    X11Flash(xcb_connection_t* connection, int depth);
    quint32 makeWindow();
    // Handles the events that came, read from the connection's socket or only those already
    // read with a reply or during a write.
    void takeEvents(bool readSocket);
    // Maps the windows once the server has answered the question sent behind the pictures.
    void mapWhenReady();

    xcb_connection_t* m_connection;
    // The first window, then those made for further monitors.
    std::vector<quint32> m_windows;
    quint32 m_gc = 0;
    int m_depth;
    quint32 m_root = 0;
    quint32 m_visual = 0;
    QString m_title;
    std::size_t m_maxRequestBytes = 0;
    std::unique_ptr<QSocketNotifier> m_events;
    // How many windows show a picture.
    std::size_t m_shown = 0;
    bool m_exposed = false;
    // The windows wait for the answer to the question with this sequence number.
    bool m_mapPending = false;
    unsigned int m_readySequence = 0;
    // The sequence number of the last map: an exposure reported before it belongs to an
    // earlier message.
    quint16 m_mapSequence = 0;
};

#include "ui/ImageButton.h"

#include "ui/Pictures.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace {

// The button the pointer is over, if any. Like a mouse capture, it is held by one button at a
// time: the holder follows every pointer movement in the program until one lands outside it,
// and no other button lights up meanwhile, so pointer movement never leaves two buttons lit.
ImageButton* s_capture = nullptr;

} // namespace

ImageButton::ImageButton(const QString& normalKey, QWidget* parent)
    : QWidget(parent), m_normal(normalKey), m_highlighted(normalKey + QStringLiteral("-hyper")),
      m_picture(normalKey)
{
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    fitToPicture();
}

ImageButton::~ImageButton()
{
    if (s_capture == this) {
        s_capture = nullptr;
        qApp->removeEventFilter(this);
    }
}

void ImageButton::setPair(const QString& normalKey, const QString& highlightedKey)
{
    m_normal = normalKey;
    m_highlighted = highlightedKey;
}

QString ImageButton::normalKey() const
{
    return m_normal;
}

void ImageButton::setPictureKey(const QString& key)
{
    if (key == m_picture)
        return;
    m_picture = key;
    fitToPicture();
    update();
    emit pictureChanged(key);
}

QString ImageButton::pictureKey() const
{
    return m_picture;
}

bool ImageButton::isHighlighted() const
{
    return m_picture == m_highlighted;
}

// Sized from the picture list without painting: a button is painted when it is first shown.
void ImageButton::fitToPicture()
{
    const QSize size = Pictures::size(m_picture);
    if (!size.isEmpty())
        setFixedSize(size);
}

void ImageButton::paintEvent(QPaintEvent*)
{
    const QPixmap pm = Pictures::picture(m_picture, devicePixelRatioF());
    if (pm.isNull())
        return;
    QPainter p(this);
    p.drawPixmap(0, 0, pm);
}

// A pointer exactly on the right or bottom edge still counts as over the button, so resting
// on the border line does not make it flicker.
bool ImageButton::countsAsInside(const QPointF& pos) const
{
    if (!isVisible() || pos.x() < 0 || pos.y() < 0 || pos.x() > width() || pos.y() > height())
        return false;
    if (pos.x() >= width() || pos.y() >= height())
        return true;
    // Over the button's own pixels it must be the widget on top there, not one covering it
    // (a page brought to the front over the page that holds the button).
    QWidget* top = window();
    if (top == this)
        return true;
    return top->childAt(mapTo(top, pos.toPoint())) == this;
}

void ImageButton::pointerAt(const QPointF& pos)
{
    if (!countsAsInside(pos)) {
        releaseCapture();
        return;
    }
    // Already lit (or kept unlit after a click changed the picture): nothing until it leaves.
    if (s_capture == this)
        return;
    // Another button still holds the pointer; its next movement outside lets it go.
    if (s_capture)
        return;
    takeCapture();
    if (m_picture == m_normal)
        setPictureKey(m_highlighted);
}

void ImageButton::takeCapture()
{
    s_capture = this;
    qApp->installEventFilter(this);
}

void ImageButton::releaseCapture()
{
    if (s_capture == this) {
        s_capture = nullptr;
        qApp->removeEventFilter(this);
    }
    // Only the pair's own highlight goes back; a show-state picture outside the pair stays.
    if (m_picture == m_highlighted)
        setPictureKey(m_normal);
}

bool ImageButton::eventFilter(QObject* watched, QEvent* event)
{
    if (s_capture != this)
        return false;
    QWindow* ours = window()->windowHandle();
    if (event->type() == QEvent::MouseMove) {
        QWindow* under = nullptr;
        if (watched->isWindowType())
            under = static_cast<QWindow*>(watched);
        else if (watched->isWidgetType())
            under = static_cast<QWidget*>(watched)->window()->windowHandle();
        const auto* move = static_cast<QMouseEvent*>(event);
        if (under && under != ours)
            releaseCapture();
        else
            pointerAt(mapFromGlobal(move->globalPosition()));
    } else if (event->type() == QEvent::Leave && (watched == ours || watched == window())) {
        // The pointer has left the window altogether; no movement will tell us any more.
        releaseCapture();
    }
    return false;
}

void ImageButton::mouseMoveEvent(QMouseEvent* event)
{
    pointerAt(event->position());
}

void ImageButton::enterEvent(QEnterEvent* event)
{
    pointerAt(event->position());
}

void ImageButton::hideEvent(QHideEvent*)
{
    m_pressed = false;
    releaseCapture();
}

void ImageButton::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton && countsAsInside(event->position());
}

// The second press of a double-click arrives as this event instead of a press. The first click
// has already run the action, so a double-click is one click; and a button that its first
// click uncovered takes nothing from it either.
void ImageButton::mouseDoubleClickEvent(QMouseEvent*)
{
    m_pressed = false;
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && countsAsInside(event->position());
    m_pressed = false;
    // Last thing done here: the click's action may hide the window or change this button.
    if (click)
        emit clicked();
}

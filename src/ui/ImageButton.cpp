// Stand-in until the image button lands: shows its key, lights up and clicks.
#include "ui/ImageButton.h"

#include "ui/Pictures.h"

#include <QMouseEvent>
#include <QPainter>

ImageButton::ImageButton(const QString& normalKey, QWidget* parent)
    : QWidget(parent), m_normal(normalKey), m_highlighted(normalKey + QStringLiteral("-hyper")),
      m_picture(normalKey)
{
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    const QPixmap pm = Pictures::picture(m_picture);
    if (!pm.isNull())
        setFixedSize(pm.deviceIndependentSize().toSize());
}

void ImageButton::setPair(const QString& normalKey, const QString& highlightedKey)
{
    m_normal = normalKey;
    m_highlighted = highlightedKey;
}

QString ImageButton::normalKey() const { return m_normal; }
QString ImageButton::highlightedKey() const { return m_highlighted; }

void ImageButton::setPictureKey(const QString& key)
{
    if (key == m_picture)
        return;
    m_picture = key;
    update();
    emit pictureChanged(key);
}

QString ImageButton::pictureKey() const { return m_picture; }
bool ImageButton::isHighlighted() const { return m_picture == m_highlighted; }

void ImageButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPixmap pm = Pictures::picture(m_picture, devicePixelRatioF());
    if (!pm.isNull())
        p.drawPixmap(0, 0, pm);
}

void ImageButton::mouseMoveEvent(QMouseEvent*) {}
void ImageButton::enterEvent(QEnterEvent*)
{
    if (m_picture == m_normal)
        setPictureKey(m_highlighted);
}
void ImageButton::leaveEvent(QEvent*)
{
    if (m_picture == m_highlighted)
        setPictureKey(m_normal);
}
void ImageButton::mousePressEvent(QMouseEvent* e)
{
    m_pressed = e->button() == Qt::LeftButton;
}
void ImageButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (m_pressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
    m_pressed = false;
}

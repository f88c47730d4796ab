#pragma once

#include <QString>
#include <QWidget>

// A borderless picture that lights up while the mouse pointer is over it and runs one action
// when clicked. Its picture is a key of the picture list IMG; the highlight is the key's
// "-hyper" twin, and only the pair (normal, highlighted) it was given lights up.
class ImageButton : public QWidget
{
    Q_OBJECT
public:
    // A button whose pair is `normalKey` / `normalKey + "-hyper"`, showing `normalKey`.
    explicit ImageButton(const QString& normalKey, QWidget* parent = nullptr);
    ~ImageButton() override;

    // The pair that lights up under the pointer (the start/stop buttons light up in one
    // show state only).
    void setPair(const QString& normalKey, const QString& highlightedKey);
    QString normalKey() const;

    // The picture shown now; setting it does not touch the pair.
    void setPictureKey(const QString& key);
    QString pictureKey() const;

    bool isHighlighted() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void clicked();
    void pictureChanged(const QString& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool countsAsInside(const QPointF& pos) const;
    void pointerAt(const QPointF& pos);
    void takeCapture();
    void releaseCapture();
    void fitToPicture();

    QString m_normal;
    QString m_highlighted;
    QString m_picture;
    bool m_pressed = false;
};

// Stand-in until the artwork lands: grey boxes of the right sizes.
#include "ui/Pictures.h"

#include <QPainter>

namespace Pictures {

QPixmap picture(const QString& key, qreal dpr)
{
    if (key.isEmpty())
        return {};
    QPixmap pm(QSize(100, 30) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(key.endsWith(QLatin1String("-hyper")) ? Qt::yellow : Qt::gray);
    return pm;
}

bool has(const QString& key) { return !key.isEmpty(); }
QStringList keys() { return {}; }

QPixmap background(qreal dpr)
{
    QPixmap pm(QSize(567, 406) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(QColor(4, 64, 115));
    return pm;
}

QIcon programIcon()
{
    return QIcon(picture(QStringLiteral("icon")));
}

} // namespace Pictures

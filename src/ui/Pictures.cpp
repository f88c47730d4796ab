// Every picture is painted here in code, at the device pixel ratio it is asked for, so that no
// bitmap has to be scaled on a high-density screen. One look for all of them: the window's deep
// blue, light-blue strokes and captions, and a white, glowing "lit" state for the hover twin.
#include "ui/Pictures.h"
#include "core/DesignFont.h"

#include <QFontMetricsF>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QRadialGradient>
#include <QThreadPool>
#include <QtMath>
#include <iterator>

namespace Pictures {
namespace {

const QColor kBackground(4, 64, 115);
const QColor kText(139, 198, 250);
const QColor kGlow(150, 215, 255);
const QColor kShadow(1, 26, 52);
const QString kHyper = QStringLiteral("-hyper");

enum class Kind { Toolbar, Button, Start, Stop };

using IconPath = QPainterPath (*)();

struct Art
{
    QSize size;
    Kind kind;
    QString caption;
    IconPath icon = nullptr;
    qreal top = 0; // where the content starts, so toolbar tiles placed at different heights line up
};

QFont captionFont(qreal pixelSize, bool bold = true)
{
    QFont font;
    font.setFamilies(
        {QString::fromLatin1(kDesignFontFamily), QString::fromLatin1(kDesignFontStandIn)});
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// The largest caption font up to `pixelSize` whose text fits `width`.
QFont fittedFont(const QString& text, qreal pixelSize, qreal width)
{
    QFont font = captionFont(pixelSize);
    while (font.pixelSize() > 7 && QFontMetricsF(font).horizontalAdvance(text) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

// Icons are drawn in a 32 x 32 box and scaled to where they are used; paths are stroked.
QPainterPath programsIcon()
{
    QPainterPath p;
    // The sheet behind.
    p.moveTo(10, 6);
    p.lineTo(10, 2);
    p.lineTo(28, 2);
    p.lineTo(28, 24);
    p.lineTo(24, 24);
    // The sheet in front, with a folded corner and lines of text.
    p.moveTo(4, 6);
    p.lineTo(18, 6);
    p.lineTo(24, 12);
    p.lineTo(24, 30);
    p.lineTo(4, 30);
    p.closeSubpath();
    p.moveTo(18, 6);
    p.lineTo(18, 12);
    p.lineTo(24, 12);
    for (const qreal y : {17.0, 21.5, 26.0}) {
        p.moveTo(8.5, y);
        p.lineTo(y > 25 ? 15.0 : 19.5, y);
    }
    return p;
}

QPainterPath goalIcon()
{
    QPainterPath p;
    const QPointF c(15, 17);
    for (const qreal r : {13.0, 8.5, 4.0})
        p.addEllipse(c, r, r);
    p.moveTo(c);
    p.lineTo(29, 3);
    // The arrow's fletching.
    p.moveTo(29, 3);
    p.lineTo(29, 8);
    p.moveTo(29, 3);
    p.lineTo(24, 3);
    return p;
}

QPainterPath settingsIcon()
{
    QPainterPath p;
    const QPointF c(16, 16);
    const int teeth = 8;
    QPolygonF outline;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = qDegreesToRadians(i * 360.0 / teeth);
        const qreal inner = qDegreesToRadians(14.0);
        const qreal outer = qDegreesToRadians(8.0);
        auto at = [&](qreal angle, qreal r) {
            return c + QPointF(r * qCos(angle), r * qSin(angle));
        };
        outline << at(a - 2 * inner + 0.05, 10.5) << at(a - inner, 10.5) << at(a - outer, 14.5)
                << at(a + outer, 14.5) << at(a + inner, 10.5);
    }
    outline << outline.first();
    p.addPolygon(outline);
    p.addEllipse(c, 4.5, 4.5);
    return p;
}

QPainterPath helpIcon()
{
    QPainterPath p;
    p.addEllipse(QPointF(16, 16), 13.5, 13.5);
    p.moveTo(11.5, 12.5);
    p.cubicTo(11.5, 6.5, 20.5, 6.5, 20.5, 12.0);
    p.cubicTo(20.5, 15.5, 16, 15.5, 16, 19.5);
    p.moveTo(16, 23.6);
    p.lineTo(16, 23.8);
    return p;
}

QPainterPath exitIcon()
{
    QPainterPath p;
    const QRectF ring(4, 5, 24, 24);
    p.arcMoveTo(ring, 125);
    p.arcTo(ring, 125, 290);
    p.moveTo(16, 2.5);
    p.lineTo(16, 15);
    return p;
}

const QHash<QString, Art>& arts()
{
    static const QHash<QString, Art> table = [] {
        QHash<QString, Art> t;
        t.insert(QStringLiteral("programs"),
                 {{62, 68}, Kind::Toolbar, QStringLiteral("Programs"), programsIcon, 2});
        t.insert(QStringLiteral("goal"),
                 {{55, 68}, Kind::Toolbar, QStringLiteral("Goals"), goalIcon});
        t.insert(QStringLiteral("settings"),
                 {{55, 68}, Kind::Toolbar, QStringLiteral("Settings"), settingsIcon});
        t.insert(QStringLiteral("help"),
                 {{55, 68}, Kind::Toolbar, QStringLiteral("Help"), helpIcon});
        t.insert(QStringLiteral("exit"),
                 {{55, 68}, Kind::Toolbar, QStringLiteral("Exit"), exitIcon});
        t.insert(QStringLiteral("ok"), {{78, 28}, Kind::Button, QStringLiteral("OK")});
        t.insert(QStringLiteral("save"), {{100, 30}, Kind::Button, QStringLiteral("Save")});
        t.insert(QStringLiteral("create"), {{80, 26}, Kind::Button, QStringLiteral("Create")});
        t.insert(QStringLiteral("delete"), {{80, 26}, Kind::Button, QStringLiteral("Delete")});
        t.insert(QStringLiteral("add-new"), {{80, 26}, Kind::Button, QStringLiteral("Add New")});
        t.insert(QStringLiteral("edit"), {{80, 26}, Kind::Button, QStringLiteral("Edit")});
        t.insert(QStringLiteral("font"), {{80, 26}, Kind::Button, QStringLiteral("Font")});
        const QString start = QStringLiteral("Start Showing Messages");
        const QString stop = QStringLiteral("Stop Showing Messages");
        t.insert(QStringLiteral("start-showing"), {{234, 30}, Kind::Start, start});
        t.insert(QStringLiteral("stop-showing"), {{234, 30}, Kind::Stop, stop});
        t.insert(QStringLiteral("start-showing-2"), {{420, 41}, Kind::Start, start});
        t.insert(QStringLiteral("stop-showing-2"), {{420, 41}, Kind::Stop, stop});
        return t;
    }();
    return table;
}

QString baseKey(const QString& key, bool* lit)
{
    *lit = key.endsWith(kHyper);
    return *lit ? key.chopped(kHyper.size()) : key;
}

// A soft halo: the path stroked a few times, wide and faint to narrow and stronger.
void strokeGlow(QPainter& p, const QPainterPath& path, qreal width, const QColor& colour)
{
    for (int i = 3; i >= 1; --i) {
        QColor c = colour;
        c.setAlphaF(colour.alphaF() * (0.55 - 0.13 * i));
        p.strokePath(path, QPen(c, width * i, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
}

// Maps an icon's 32 x 32 box onto `box`.
QTransform iconTransform(const QRectF& box)
{
    QTransform t;
    t.translate(box.left(), box.top());
    t.scale(box.width() / 32.0, box.height() / 32.0);
    return t;
}

void paintToolbar(QPainter& p, const Art& art, bool lit)
{
    const QRectF whole(QPointF(0, 0), QSizeF(art.size));
    const qreal w = whole.width();
    const QRectF iconBox(w / 2 - 16, 7 + art.top, 32, 32);
    const QPainterPath icon = iconTransform(iconBox).map(art.icon());
    const QColor ink = lit ? QColor(Qt::white) : kText;

    if (lit) {
        QLinearGradient tile(0, 0, 0, whole.height());
        tile.setColorAt(0, QColor(139, 198, 250, 95));
        tile.setColorAt(1, QColor(139, 198, 250, 25));
        p.setPen(QPen(QColor(190, 228, 255, 170), 1));
        p.setBrush(tile);
        p.drawRoundedRect(whole.adjusted(1.5, 1.5 + art.top, -1.5, -1.5), 7, 7);
        QRadialGradient halo(iconBox.center(), 24);
        halo.setColorAt(0, QColor(170, 225, 255, 120));
        halo.setColorAt(1, QColor(170, 225, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(iconBox.center(), 24, 24);
        strokeGlow(p, icon, 3.0, kGlow);
    } else {
        p.strokePath(icon.translated(0.8, 1.2),
                     QPen(QColor(kShadow.red(), kShadow.green(), kShadow.blue(), 150), 2.4,
                          Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    p.strokePath(icon, QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    const QRectF captionBox(1, 44 + art.top, w - 2, 20);
    p.setFont(fittedFont(art.caption, 11, captionBox.width() - 2));
    p.setPen(ink);
    p.drawText(captionBox, Qt::AlignHCenter | Qt::AlignVCenter, art.caption);
}

// The round sign on the start and stop buttons: a play triangle or a stop square.
void paintSign(QPainter& p, Kind kind, const QRectF& disc, bool lit)
{
    const QColor ink = lit ? QColor(Qt::white) : kText;
    p.setPen(QPen(ink, disc.height() > 24 ? 1.6 : 1.2));
    p.setBrush(QColor(ink.red(), ink.green(), ink.blue(), lit ? 70 : 45));
    p.drawEllipse(disc);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const QPointF c = disc.center();
    const qreal r = disc.width() / 2;
    if (kind == Kind::Start) {
        QPainterPath play;
        play.moveTo(c + QPointF(-0.30 * r, -0.45 * r));
        play.lineTo(c + QPointF(0.52 * r, 0));
        play.lineTo(c + QPointF(-0.30 * r, 0.45 * r));
        play.closeSubpath();
        p.drawPath(play);
    } else {
        const qreal s = 0.38 * r;
        p.drawRoundedRect(QRectF(c.x() - s, c.y() - s, 2 * s, 2 * s), s * 0.2, s * 0.2);
    }
}

void paintButton(QPainter& p, const Art& art, bool lit)
{
    const QRectF whole(QPointF(0, 0), QSizeF(art.size));
    // A margin all round leaves room for the glow of the lit twin.
    const qreal margin = art.size.height() > 36 ? 3.0 : 2.0;
    const QRectF body = whole.adjusted(margin + 0.5, margin + 0.5, -margin - 0.5, -margin - 0.5);
    const qreal radius = body.height() / 2;
    QPainterPath shape;
    shape.addRoundedRect(body, radius, radius);

    if (lit)
        strokeGlow(p, shape, margin, kGlow);

    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, lit ? QColor(64, 154, 226) : QColor(20, 90, 152));
    fill.setColorAt(1, lit ? QColor(18, 98, 170) : QColor(4, 44, 82));
    p.setPen(QPen(lit ? QColor(225, 243, 255) : QColor(139, 198, 250, 210), 1));
    p.setBrush(fill);
    p.drawPath(shape);

    // The gloss on the upper half.
    QPainterPath gloss;
    const QRectF top = body.adjusted(2, 1.5, -2, -body.height() / 2);
    gloss.addRoundedRect(top, top.height() / 2, top.height() / 2);
    QLinearGradient shine(top.topLeft(), top.bottomLeft());
    shine.setColorAt(0, QColor(255, 255, 255, lit ? 85 : 50));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawPath(gloss);

    const bool hasSign = art.kind == Kind::Start || art.kind == Kind::Stop;
    const qreal signSize = hasSign ? body.height() - 8 : 0;
    const qreal gap = hasSign ? signSize * 0.4 : 0;
    const qreal textRoom = body.width() - radius - signSize - gap;
    const QFont font = fittedFont(art.caption, body.height() * (hasSign ? 0.5 : 0.56), textRoom);
    const qreal textWidth = QFontMetricsF(font).horizontalAdvance(art.caption);
    const qreal left = body.center().x() - (signSize + gap + textWidth) / 2;

    if (hasSign)
        paintSign(p, art.kind, QRectF(left, body.center().y() - signSize / 2, signSize, signSize),
                  lit);

    const QRectF textBox(left + signSize + gap, body.top(), textWidth + 1, body.height());
    p.setFont(font);
    p.setPen(QColor(kShadow.red(), kShadow.green(), kShadow.blue(), 170));
    p.drawText(textBox.translated(0, 1), Qt::AlignLeft | Qt::AlignVCenter, art.caption);
    p.setPen(lit ? QColor(Qt::white) : kText);
    p.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, art.caption);
}

QImage canvas(QSize logical, qreal dpr)
{
    QImage image(logical * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

QPixmap paintPicture(const Art& art, bool lit, qreal dpr)
{
    QImage image = canvas(art.size, dpr);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    if (art.kind == Kind::Toolbar)
        paintToolbar(p, art, lit);
    else
        paintButton(p, art, lit);
    p.end();
    return QPixmap::fromImage(image);
}

// A four-pointed spark, the mark of a message flashing up.
QPainterPath spark(const QPointF& c, qreal r)
{
    const qreal k = r * 0.16;
    QPainterPath p;
    p.moveTo(c.x(), c.y() - r);
    p.quadTo(c.x() + k, c.y() - k, c.x() + r, c.y());
    p.quadTo(c.x() + k, c.y() + k, c.x(), c.y() + r);
    p.quadTo(c.x() - k, c.y() + k, c.x() - r, c.y());
    p.quadTo(c.x() - k, c.y() - k, c.x(), c.y() - r);
    p.closeSubpath();
    return p;
}

QHash<QString, QPixmap>& cache()
{
    static QHash<QString, QPixmap> pictures;
    return pictures;
}

QPixmap& cached(const QString& key, qreal dpr)
{
    return cache()[key + QLatin1Char('@') + QString::number(qRound(dpr * 100))];
}

const int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The program icon, painted at the one size that a request is served from and let go at once.
// A request is served as an icon holding every size would serve it: from the smallest size
// that is at least as large (by area), else the largest, scaled down to fit. The normal look
// is made here, so nothing lands in the toolkit's pixmap cache, whose upkeep wakes the
// program up later.
class ProgramIconEngine : public QIconEngine
{
public:
    QIconEngine* clone() const override { return new ProgramIconEngine; }
    QString key() const override { return QStringLiteral("ZentrivoProgramIcon"); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const int s : kIconSizes)
            sizes << QSize(s, s);
        return sizes;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int held = heldSizeFor(size);
        QSize actual(held, held);
        if (actual.width() > size.width() || actual.height() > size.height())
            actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        const QPixmap held = QPixmap::fromImage(iconImage(heldSizeFor(size)));
        // A disabled or selected look, as the toolkit makes it from the held size.
        if (mode != QIcon::Normal)
            return QIcon(held).pixmap(size, mode, state);
        const QSize actual = actualSize(size, mode, state);
        if (held.size() == actual)
            return held;
        return held.scaled(actual, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * dpr, mode, state));
    }

private:
    static int heldSizeFor(const QSize& wanted)
    {
        const int area = wanted.width() * wanted.height();
        for (const int s : kIconSizes) {
            if (s * s >= area)
                return s;
        }
        return kIconSizes[std::size(kIconSizes) - 1];
    }
};

} // namespace

QPixmap picture(const QString& key, qreal dpr)
{
    bool lit = false;
    const auto it = arts().constFind(baseKey(key, &lit));
    if (it == arts().constEnd() || dpr <= 0)
        return {};
    QPixmap& pm = cached(key, dpr);
    if (pm.isNull())
        pm = paintPicture(*it, lit, dpr);
    return pm;
}

QSize size(const QString& key)
{
    bool lit = false;
    const auto it = arts().constFind(baseKey(key, &lit));
    return it == arts().constEnd() ? QSize() : it->size;
}

void release()
{
    cache().clear();
    cache().squeeze();
    // What painting left behind in the toolkit: its cache of painted pieces, whose upkeep
    // timer would wake the program while it waits, and the threads it fills large pictures
    // with, which would otherwise linger and end on their own a while later. Threads busy
    // with other work are left alone.
    QPixmapCache::clear();
    QThreadPool::globalInstance()->waitForDone(0);
}

bool has(const QString& key)
{
    bool lit = false;
    return arts().contains(baseKey(key, &lit));
}

QStringList keys()
{
    QStringList normal = arts().keys();
    normal.sort();
    QStringList all;
    for (const QString& key : normal)
        all << key << key + kHyper;
    return all;
}

QPixmap background(qreal dpr)
{
    QPixmap& pm = cached(QStringLiteral(":background"), dpr);
    if (!pm.isNull())
        return pm;

    QImage image = canvas({567, 406}, dpr);
    image.fill(kBackground);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    // The toolbar's strip, hanging from the top edge.
    const QRectF strip(277.5, -12.5, 288, 84);
    QLinearGradient stripFill(strip.topLeft(), strip.bottomLeft());
    stripFill.setColorAt(0, QColor(2, 42, 80));
    stripFill.setColorAt(1, QColor(3, 52, 96));
    p.setPen(QPen(QColor(139, 198, 250, 120), 1));
    p.setBrush(stripFill);
    p.drawRoundedRect(strip, 10, 10);

    // The tab with the name, running down into the frame around the pages.
    const qreal l = 4.5, t = 10.5, r = 562.5, top = 80.5, b = 398.5, c = 10;
    QPainterPath tab;
    tab.moveTo(l, top + 4);
    tab.lineTo(l, t + c);
    tab.arcTo(QRectF(l, t, 2 * c, 2 * c), 180, -90);
    tab.lineTo(226, t);
    tab.cubicTo(248, t, 250, top, 274, top);
    tab.lineTo(274, top + 4);
    tab.closeSubpath();
    QLinearGradient tabFill(0, t, 0, top);
    tabFill.setColorAt(0, QColor(22, 100, 168));
    tabFill.setColorAt(1, kBackground);
    p.setPen(Qt::NoPen);
    p.setBrush(tabFill);
    p.drawPath(tab);

    QPainterPath frame;
    frame.moveTo(l, top + 4);
    frame.lineTo(l, t + c);
    frame.arcTo(QRectF(l, t, 2 * c, 2 * c), 180, -90);
    frame.lineTo(226, t);
    frame.cubicTo(248, t, 250, top, 274, top);
    frame.lineTo(r - c, top);
    frame.arcTo(QRectF(r - 2 * c, top, 2 * c, 2 * c), 90, -90);
    frame.lineTo(r, b - c);
    frame.arcTo(QRectF(r - 2 * c, b - 2 * c, 2 * c, 2 * c), 0, -90);
    frame.lineTo(l + c, b);
    frame.arcTo(QRectF(l, b - 2 * c, 2 * c, 2 * c), 270, -90);
    frame.closeSubpath();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(139, 198, 250, 70), 3.5));
    p.drawPath(frame);
    p.setPen(QPen(kText, 1.2));
    p.drawPath(frame);

    // The name as artwork: a shadow, a glow, and a white-to-blue face.
    QFont nameFont = captionFont(40);
    nameFont.setItalic(true);
    nameFont.setLetterSpacing(QFont::PercentageSpacing, 96);
    const QString name = QStringLiteral("Zentrivo");
    const QFontMetricsF fm(nameFont);
    const QPointF origin(22, 25 + fm.ascent() * 0.86);
    QPainterPath text;
    text.addText(origin, nameFont, name);
    const QRectF box = text.boundingRect();
    p.fillPath(text.translated(1.5, 2.5),
               QColor(kShadow.red(), kShadow.green(), kShadow.blue(), 190));
    strokeGlow(p, text, 3.0, QColor(150, 215, 255, 150));
    QLinearGradient face(box.topLeft(), box.bottomLeft());
    face.setColorAt(0, Qt::white);
    face.setColorAt(0.55, QColor(205, 232, 255));
    face.setColorAt(1, kText);
    p.fillPath(text, face);

    const QPointF sparkAt(box.right() + 8, box.top() + 4);
    const QPainterPath big = spark(sparkAt, 9);
    strokeGlow(p, big, 2.0, QColor(170, 225, 255, 160));
    p.fillPath(big, Qt::white);
    p.fillPath(spark(sparkAt + QPointF(-13, 12), 4), QColor(205, 232, 255));
    p.end();

    pm = QPixmap::fromImage(image);
    return pm;
}

QImage iconImage(int size)
{
    if (size <= 0)
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 256-unit square so every size has the same proportions.
    p.scale(size / 256.0, size / 256.0);

    const qreal inset = size <= 16 ? 4 : 12;
    const QRectF tile(inset, inset, 256 - 2 * inset, 256 - 2 * inset);
    QLinearGradient fill(tile.topLeft(), tile.bottomRight());
    fill.setColorAt(0, QColor(40, 128, 204));
    fill.setColorAt(1, QColor(3, 50, 94));
    // At least one device pixel wide, so the rim shows at 16 px.
    p.setPen(QPen(kText, qMax(8.0, 256.0 / size)));
    p.setBrush(fill);
    p.drawRoundedRect(tile, 52, 52);

    QRadialGradient halo(QPointF(118, 138), 100);
    halo.setColorAt(0, QColor(190, 232, 255, 150));
    halo.setColorAt(1, QColor(190, 232, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(QPointF(118, 138), 100, 100);

    p.fillPath(spark(QPointF(118, 138), 84), Qt::white);
    p.fillPath(spark(QPointF(190, 66), 34), QColor(205, 232, 255));
    p.end();
    return image;
}

QIcon programIcon()
{
    return QIcon(new ProgramIconEngine);
}

} // namespace Pictures

#include "display/ScreenCut.h"

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>

namespace {

// Never cuts a character written as two UTF-16 units in half.
qsizetype wholeCharacters(QStringView line, qsizetype units)
{
    if (units > 0 && units < line.size() && line[units - 1].isHighSurrogate())
        --units;
    return units;
}

// The longest start of `line` that is at most `width` pixels wide; `most` is the reach's line
// length for that width.
QStringView fitLine(QStringView line, const QFontMetrics& metrics, int width, qsizetype most)
{
    if (line.size() > most)
        line = line.first(wholeCharacters(line, most));
    if (metrics.horizontalAdvance(line.toString()) <= width)
        return line;
    qsizetype fits = 0;
    qsizetype tooLong = line.size();
    while (tooLong - fits > 1) {
        const qsizetype mid = fits + (tooLong - fits) / 2;
        if (metrics.horizontalAdvance(line.first(mid).toString()) <= width)
            fits = mid;
        else
            tooLong = mid;
    }
    return line.first(wholeCharacters(line, fits));
}

} // namespace

ScreenCut::Reach ScreenCut::reach(const QFontMetrics& metrics, const QSize& room)
{
    // Lines of a label are a line spacing apart, the last one without its leading.
    const int spacing = std::max(metrics.lineSpacing(), 1);
    // No visible character is narrower than half a pixel, so no more than this can fit; the
    // rest of a long line is never measured.
    return Reach{std::max<qsizetype>(1, (qsizetype(room.height()) + metrics.leading()) / spacing),
                 qsizetype(std::max(room.width(), 0)) * 2 + 1};
}

QString ScreenCut::fit(const QString& text, const QFontMetrics& metrics, const QSize& room)
{
    const Reach far = reach(metrics, room);
    const qsizetype maxLines = far.lines;

    QStringList kept;
    bool cut = false;
    qsizetype from = 0;
    while (true) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'), from);
        const QStringView line = QStringView(text).mid(from, end < 0 ? -1 : end - from);
        if (kept.size() == maxLines) {
            cut = true;
            break;
        }
        const QStringView fitted = fitLine(line, metrics, room.width(), far.lineLength);
        cut = cut || fitted.size() < line.size();
        kept << fitted.toString();
        if (end < 0)
            break;
        from = end + 1;
    }
    return cut ? kept.join(QLatin1Char('\n')) : text;
}

// How long painting the pictures takes (each is painted when the main window first shows it,
// and again when the window comes back from the tray; in between it comes from the cache),
// and, with --sheet <file.png>, one contact sheet of every picture
// for looking at them: the window's frame as the program lays it out at 100 % and at 200 %,
// each picture beside its lit twin, and the program icon at all its sizes.
#include "ui/ImageButton.h"
#include "ui/Pictures.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPainter>

#include <cstdio>
#include <cstring>

namespace {

const QColor kBackground(4, 64, 115);

// The frame of the main window: background, toolbar and the start/stop button below the pages.
QImage window(qreal dpr)
{
    QImage image(QSize(570, 447) * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(kBackground);
    QPainter p(&image);
    p.drawPixmap(0, 0, Pictures::background(dpr));
    const struct
    {
        const char* key;
        int x, y;
    } placed[] = {{"programs", 280, 0}, {"goal-hyper", 342, 2}, {"settings", 397, 2},
                  {"help", 452, 2},     {"exit", 507, 2},       {"start-showing", 335, 412},
                  {"ok", 470, 355},     {"create", 20, 355},    {"delete-hyper", 110, 355}};
    for (const auto& item : placed)
        p.drawPixmap(item.x, item.y, Pictures::picture(QString::fromLatin1(item.key), dpr));
    p.drawPixmap(70, 300, Pictures::picture(QStringLiteral("stop-showing-2-hyper"), dpr));
    return image;
}

void drawRaw(QPainter& p, int x, int y, QImage image)
{
    image.setDevicePixelRatio(1);
    p.drawImage(x, y, image);
}

int writeSheet(const char* path)
{
    const QImage one = window(1);
    const QImage two = window(2);
    const int width = one.width() + two.width() + 30;

    QStringList normal;
    for (const QString& key : Pictures::keys())
        if (!key.endsWith(QLatin1String("-hyper")))
            normal << key;
    const int gridTop = two.height() + 20;
    int iconTop = gridTop;
    for (const QString& key : normal)
        iconTop += Pictures::picture(key).deviceIndependentSize().toSize().height() + 10;
    iconTop += 10;

    QImage sheet(width, iconTop + 270, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(40, 40, 40));
    QPainter p(&sheet);
    drawRaw(p, 10, 10, one);
    drawRaw(p, one.width() + 20, 10, two);

    QFont label;
    label.setFamilies({QStringLiteral("DejaVu Sans")});
    label.setPixelSize(11);
    p.setFont(label);
    int y = gridTop;
    for (const QString& key : normal) {
        const QPixmap a = Pictures::picture(key);
        const QPixmap b = Pictures::picture(key + QStringLiteral("-hyper"));
        const int h = a.deviceIndependentSize().toSize().height();
        p.fillRect(10, y, width - 20, h + 6, kBackground);
        p.setPen(Qt::white);
        p.drawText(14, y + 16, key);
        p.drawPixmap(130, y + 3, a);
        p.drawPixmap(130 + a.width() + 16, y + 3, b);
        y += h + 10;
    }

    int x = 10;
    for (const int s : {16, 22, 24, 32, 48, 64, 128, 256}) {
        p.fillRect(x, iconTop, s, s, kBackground);
        p.drawImage(x, iconTop, Pictures::iconImage(s));
        x += s + 16;
    }
    p.end();
    if (!sheet.save(QString::fromLocal8Bit(path), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    return 0;
}

void BM_CachedPicture(benchmark::State& state)
{
    const QStringList keys = Pictures::keys();
    for (const QString& key : keys)
        Pictures::picture(key);
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(Pictures::picture(keys[i++ % keys.size()]));
}
BENCHMARK(BM_CachedPicture);

// The button's own painting, rendered into an image: the window system's part of a repaint
// (the backing store's flush to the X server) is not in it.
void BM_ButtonRepaint(benchmark::State& state)
{
    ImageButton button(QStringLiteral("start-showing-2"));
    QImage target(button.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        button.render(&target);
}
BENCHMARK(BM_ButtonRepaint);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--sheet") == 0)
        return writeSheet(argv[2]);

    // Every figure below is painting into memory (QImage and raster QPixmap), on whatever
    // platform this runs: none of them includes sending the pixels to the X server and the
    // server putting them on the screen.
    std::printf("platform %s; all figures are painting into memory only: the trip to the X "
                "server and onto the screen is not included\n",
                qPrintable(QGuiApplication::platformName()));

    // The font set-up is paid once by whatever draws text first; it is timed on its own.
    QElapsedTimer fonts;
    fonts.start();
    QFont verdana;
    verdana.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    QFontMetricsF(verdana).horizontalAdvance(QStringLiteral("Zentrivo"));
    std::printf("font set-up: %.1f ms\n", fonts.nsecsElapsed() / 1e6);

    // The first paint of everything, as the main window's first showing meets it.
    for (const qreal dpr : {1.0, 2.0}) {
        QElapsedTimer timer;
        timer.start();
        QString slowest;
        qint64 slowestNs = 0;
        for (const QString& key : Pictures::keys()) {
            const qint64 before = timer.nsecsElapsed();
            Pictures::picture(key, dpr);
            if (timer.nsecsElapsed() - before > slowestNs) {
                slowestNs = timer.nsecsElapsed() - before;
                slowest = key;
            }
        }
        const qint64 before = timer.nsecsElapsed();
        Pictures::background(dpr);
        const qint64 backgroundNs = timer.nsecsElapsed() - before;
        std::printf("first paint (into memory) of %lld pictures and the background at %.0f %%: "
                    "%.1f ms (slowest picture %s: %.1f ms, background: %.1f ms)\n",
                    static_cast<long long>(Pictures::keys().size()), dpr * 100,
                    timer.nsecsElapsed() / 1e6, qPrintable(slowest), slowestNs / 1e6,
                    backgroundNs / 1e6);
    }
    QElapsedTimer timer;
    timer.start();
    const QIcon icon = Pictures::programIcon();
    for (const QSize& size : icon.availableSizes())
        icon.pixmap(size);
    std::printf("program icon, all %lld sizes painted (into memory), as a window icon asks "
                "for them: %.1f ms\n",
                static_cast<long long>(icon.availableSizes().size()), timer.nsecsElapsed() / 1e6);
    timer.restart();
    icon.pixmap(QSize(22, 22));
    std::printf("program icon at 22 px, as a tray icon paints it: %.2f ms\n",
                timer.nsecsElapsed() / 1e6);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

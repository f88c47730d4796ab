// Writes the program icon as PNG files for the desktop's icon theme:
//   render_icons <folder> <size>...   ->   <folder>/<size>x<size>/apps/zentrivo.png
#include "ui/Pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>

#include <cstdio>

namespace {
int fail(const char* what, const QString& path)
{
    std::fprintf(stderr, "render_icons: %s %s\n", what, qPrintable(path));
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    // A build machine has no display to speak of; the icon is painted off screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: render_icons <folder> <size>...\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size <= 0 || size > 1024)
            return fail("not an icon size:", QString::fromLocal8Bit(argv[i]));
        const QString dir = root + QStringLiteral("/%1x%1/apps").arg(size);
        if (!QDir().mkpath(dir))
            return fail("cannot make", dir);
        const QImage image = Pictures::iconImage(size);
        // Written whole or not at all, so a stopped build never installs a cut-off icon.
        QSaveFile file(dir + QStringLiteral("/zentrivo.png"));
        file.setDirectWriteFallback(false);
        if (image.size() != QSize(size, size) || !file.open(QIODevice::WriteOnly) ||
            !image.save(&file, "PNG") || !file.commit())
            return fail("cannot write", file.fileName());
    }
    return 0;
}

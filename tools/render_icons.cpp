// Writes the program icon as PNG files for the desktop's icon theme:
//   render_icons <folder>   ->   <folder>/<size>x<size>/apps/zentrivo.png
#include "ui/Pictures.h"

#include <QApplication>
#include <QDir>
#include <QImage>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QIcon icon = Pictures::programIcon();
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = root + QStringLiteral("/%1x%1/apps").arg(size);
        QDir().mkpath(dir);
        const QImage image =
            icon.pixmap(QSize(size, size), 1.0)
                .toImage()
                .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!image.save(dir + QStringLiteral("/zentrivo.png")))
            return 1;
    }
    return 0;
}

// Prints the colour of each given point of a picture file as #rrggbb, one a line ("none" for a
// point outside the picture); ends with status 1 when the file cannot be read. The end-to-end
// scripts read screenshots with it.
//   png_pixel <file> <x> <y> [<x> <y> ...]
#include <QColor>
#include <QImage>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 4 || argc % 2 != 0)
        return 2;
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull())
        return 1;
    for (int i = 2; i + 1 < argc; i += 2) {
        const QPoint point(QByteArray(argv[i]).toInt(), QByteArray(argv[i + 1]).toInt());
        const QByteArray name =
            image.valid(point) ? image.pixelColor(point).name().toLatin1() : "none";
        std::printf("%s\n", name.constData());
    }
    return 0;
}

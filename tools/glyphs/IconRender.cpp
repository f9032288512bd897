// tidewell-icons: draws the application icon from its SVG drawing at build time, as the
// PNG pictures of each size that the icon theme and the program's own resource carry.
//
//   tidewell-icons DRAWING.svg OUTPUT_FOLDER SIZE...
//
// Each size becomes OUTPUT_FOLDER/SIZE.png, SIZE x SIZE pixels on a transparent ground.
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool Render(QSvgRenderer& svg, const QString& folder, const QString& size)
{
    bool number = false;
    const int pixels = size.toInt(&number);
    if (!number || pixels < 1 || pixels > 1024) {
        std::fprintf(stderr, "tidewell-icons: not a size: %s\n", qPrintable(size));
        return false;
    }
    QImage image(pixels, pixels, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
    }
    const QString name = folder + QLatin1Char('/') + size + QStringLiteral(".png");
    if (!image.save(name, "PNG")) {
        std::fprintf(stderr, "tidewell-icons: cannot write %s\n", qPrintable(name));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: tidewell-icons DRAWING.svg OUTPUT_FOLDER SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "tidewell-icons: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i)
        if (!Render(svg, folder, QString::fromLocal8Bit(argv[i])))
            return 1;
    return 0;
}

// tidewell-glyphs: draws the tool-button glyphs from their SVG drawings at build time, so
// that the program takes finished pixels at start instead of parsing and rendering SVG or
// decoding a picture file.
//
//   tidewell-glyphs OUTPUT_FOLDER DRAWING.svg...
//
// Each drawing becomes OUTPUT_FOLDER/NAME.argb32: the 48 x 32 pixels of the transparent
// premultiplied ARGB32 image it was drawn onto, as the window drew it before, row by row,
// each pixel a 32-bit word in this machine's byte order (QImage's own layout).
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 32;

bool Render(const QString& drawing, const QString& folder)
{
    QSvgRenderer svg(drawing);
    if (!svg.isValid()) {
        std::fprintf(stderr, "tidewell-glyphs: cannot read %s\n", qPrintable(drawing));
        return false;
    }
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        svg.render(&painter);
    }
    const QString name = folder + QLatin1Char('/') + QFileInfo(drawing).completeBaseName() +
                         QStringLiteral(".argb32");
    QFile pixels(name);
    const qint64 row = kWidth * 4;
    bool written = pixels.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (int y = 0; written && y < kHeight; ++y)
        written = pixels.write(reinterpret_cast<const char*>(image.constScanLine(y)), row) == row;
    if (!written || !pixels.flush()) {
        std::fprintf(stderr, "tidewell-glyphs: cannot write %s\n", qPrintable(name));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: tidewell-glyphs OUTPUT_FOLDER DRAWING.svg...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i)
        if (!Render(QString::fromLocal8Bit(argv[i]), folder))
            return 1;
    return 0;
}

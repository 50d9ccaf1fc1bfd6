// Renders an SVG icon into the PNG sizes a desktop's icon theme expects.
//   zadaravod_render_icon <icon.svg> <folder> <name.png> <size>...
// writes <folder>/<size>x<size>/<name.png> for each size (in pixels, 1..1024),
// square, on a transparent ground. Exit status 0 when every file was written,
// 1 when the SVG does not load or a file cannot be written, 2 on bad arguments.
// Raster painting needs no application object and no display.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <icon.svg> <folder> <name.png> <size>...\n", argv[0]);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: %s is not an SVG image that can be drawn\n", argv[0], argv[1]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        bool number = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&number);
        if (!number || size < 1 || size > 1024) {
            std::fprintf(stderr, "%s: bad size \"%s\"\n", argv[0], argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const QString sizeFolder = folder + QStringLiteral("/%1x%1").arg(size);
        const QString path = sizeFolder + '/' + name;
        if (!QDir().mkpath(sizeFolder) || !image.save(path, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(path));
            return 1;
        }
    }
    return 0;
}

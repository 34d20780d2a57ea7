// Renders the program's SVG pictures into PNGs at build time, so that a start reads small
// ready pixmaps instead of parsing SVG. Usage: rendericons OUTDIR SIZE[,SIZE...] FILE.svg...
// writes OUTDIR/NAME-SIZE.png for each file and size.
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: rendericons OUTDIR SIZE[,SIZE...] FILE.svg...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QStringList sizes = QString::fromLatin1(argv[2]).split(u',');
    for (int i = 3; i < argc; ++i) {
        const QString file = QString::fromLocal8Bit(argv[i]);
        QSvgRenderer renderer(file);
        if (!renderer.isValid()) {
            std::fprintf(stderr, "rendericons: %s is no SVG picture\n", argv[i]);
            return 1;
        }
        for (const QString& text : sizes) {
            const int size = text.toInt();
            QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter);
            painter.end();
            const QString out = QStringLiteral("%1/%2-%3.png")
                                    .arg(folder, QFileInfo(file).completeBaseName(), text);
            if (!image.save(out, "PNG")) {
                std::fprintf(stderr, "rendericons: cannot write %s\n", qPrintable(out));
                return 1;
            }
        }
    }
    return 0;
}

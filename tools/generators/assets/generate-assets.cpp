// Draws the program's pictures and writes them to the folder given:
// banner.png and splash.png (which generate-assets.sh turns into baseline
// 4:4:4 JPEGs), exit.bmp and newsearch.bmp (20 x 20, 32 bits), pdf.bmp
// (32 x 32, 24 bits), each also drawn at twice the size for screens of
// twice the density (NAME@2x), and the program's icon at the sizes desktops
// and Windows ask for, kavinto-16.png to kavinto-256.png.

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cstdio>

namespace {

const QColor kLightBlue(86, 140, 214);
const QColor kDarkBlue(18, 42, 112);

void titleText(QPainter& p, const QRect& box, const QString& text, int pixels) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    // Two grey shadows below and to the right, then the white letters.
    p.setPen(QColor(90, 90, 90));
    p.drawText(box.translated(3, 3), Qt::AlignLeft | Qt::AlignVCenter, text);
    p.setPen(QColor(160, 160, 160));
    p.drawText(box.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter, text);
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
}

// The title on two stepped bands: the lighter one upper left, the dark one lower right.
void drawBanner(QPainter& p, int width) {
    p.fillRect(0, 0, width, 73, Qt::white);
    QLinearGradient light(0, 0, 0, 40);
    light.setColorAt(0, kLightBlue.lighter(115));
    light.setColorAt(1, kLightBlue);
    p.fillRect(0, 0, 300, 40, light);
    QLinearGradient dark(0, 33, 0, 73);
    dark.setColorAt(0, kDarkBlue.lighter(130));
    dark.setColorAt(1, kDarkBlue);
    p.fillRect(220, 33, width - 220, 40, dark);
    titleText(p, QRect(16, 0, 280, 40), QStringLiteral("VELOR!"), 34);
    titleText(p, QRect(240, 33, 380, 40), QStringLiteral("Tarmeni"), 34);
}

// A picture of the designed size times `scale` on `background`, smoothed; `paint`
// draws in designed pixels.
template <typename Paint>
QImage picture(int width, int height, int scale, QImage::Format format, const QColor& background,
               Paint paint) {
    QImage img(width * scale, height * scale, format);
    img.fill(background);
    QPainter p(&img);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paint(p);
    return img;
}

QImage banner(int scale) {
    return picture(640, 73, scale, QImage::Format_RGB32, Qt::white,
                   [](QPainter& p) { drawBanner(p, 640); });
}

void figure(QPainter& p, QPointF feet, const QColor& shirt, qreal lean, bool armsUp) {
    p.save();
    p.translate(feet);
    p.rotate(lean);
    p.setPen(QPen(QColor(60, 45, 35), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 0), QPointF(-5, -14));
    p.drawLine(QPointF(0, 0), QPointF(5, -14));
    p.setBrush(shirt);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(-6, -30, 12, 17), 4, 4);
    p.setPen(QPen(QColor(60, 45, 35), 2.2, Qt::SolidLine, Qt::RoundCap));
    if (armsUp) {
        p.drawLine(QPointF(-5, -27), QPointF(-10, -42));
        p.drawLine(QPointF(5, -27), QPointF(10, -42));
    } else {
        p.drawLine(QPointF(-5, -27), QPointF(-12, -18));
        p.drawLine(QPointF(5, -27), QPointF(12, -18));
    }
    p.setBrush(QColor(246, 214, 180));
    p.setPen(QPen(QColor(120, 90, 70), 1));
    p.drawEllipse(QPointF(0, -36), 6, 6);
    p.restore();
}

void block(QPainter& p, const QRectF& r, const QColor& c, const QString& label, qreal angle = 0) {
    p.save();
    p.translate(r.center());
    p.rotate(angle);
    const QRectF box(-r.width() / 2, -r.height() / 2, r.width(), r.height());
    QLinearGradient g(box.topLeft(), box.bottomRight());
    g.setColorAt(0, c.lighter(125));
    g.setColorAt(1, c.darker(110));
    p.setBrush(g);
    p.setPen(QPen(c.darker(160), 2));
    p.drawRoundedRect(box, 5, 5);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(int(std::min<qreal>(18, r.height() * 0.38)));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignCenter, label);
    p.restore();
}

void paintSplash(QPainter& p) {
    // The banner across the top, narrowed to the picture.
    p.save();
    p.scale(600.0 / 640.0, 1.0);
    drawBanner(p, 640);
    p.restore();
    // A pale watercolour sky: soft overlapping washes.
    constexpr quint32 kWashSeed = 1038;  // any fixed seed: the same picture on every build
    QRandomGenerator rng(kWashSeed);
    for (int i = 0; i < 70; ++i) {
        const QPointF c(rng.bounded(600), 80 + rng.bounded(170));
        QRadialGradient wash(c, 40 + rng.bounded(60));
        wash.setColorAt(0, QColor(170, 205, 240, 60));
        wash.setColorAt(1, QColor(170, 205, 240, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(wash);
        p.drawEllipse(c, 110, 60);
    }
    p.setPen(QPen(QColor(150, 190, 120), 3));
    p.drawLine(20, 372, 580, 372);

    // A ladder leaning on the stack, behind the blocks.
    p.setPen(QPen(QColor(140, 100, 60), 3));
    p.drawLine(QPointF(20, 370), QPointF(58, 262));
    p.drawLine(QPointF(36, 370), QPointF(74, 262));
    for (int i = 1; i < 7; ++i) {
        const qreal t = i / 7.0;
        p.drawLine(QPointF(20 + 38 * t, 370 - 108 * t), QPointF(36 + 38 * t, 370 - 108 * t));
    }
    // The stack: labelled blocks with figures carrying and climbing them.
    block(p, QRectF(40, 318, 170, 52), QColor(214, 64, 52), QStringLiteral("ÖTLETBÖRZE"));
    block(p, QRectF(215, 318, 150, 52), QColor(46, 140, 72), QStringLiteral("MOZAIK"));
    block(p, QRectF(370, 318, 180, 52), QColor(232, 160, 32), QStringLiteral("SZEREPJÁTÉK"));
    block(p, QRectF(110, 262, 150, 52), QColor(58, 96, 190), QStringLiteral("VITA"));
    block(p, QRectF(268, 262, 190, 52), QColor(150, 70, 170), QStringLiteral("PROJEKT"));
    block(p, QRectF(175, 206, 210, 52), QColor(20, 150, 160), QStringLiteral("CSOPORTMUNKA"));
    block(p, QRectF(470, 200, 110, 40), QColor(210, 80, 120), QStringLiteral("KVÍZ"), -12);
    figure(p, QPointF(560, 370), QColor(230, 90, 60), 0, false);
    figure(p, QPointF(500, 242), QColor(60, 120, 220), -8, true);
    figure(p, QPointF(250, 206), QColor(240, 200, 40), 0, true);
    figure(p, QPointF(330, 206), QColor(90, 170, 90), 6, false);
    figure(p, QPointF(28, 370), QColor(160, 80, 200), 0, false);
    figure(p, QPointF(100, 316), QColor(230, 120, 40), -20, false);
}

QImage splash(int scale) {
    return picture(600, 400, scale, QImage::Format_RGB32, Qt::white, paintSplash);
}

QImage exitPicture(int scale) {
    return picture(20, 20, scale, QImage::Format_ARGB32, Qt::white, [](QPainter& p) {
        p.setPen(QPen(QColor(30, 80, 200), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(3.5, 3.5, 13, 13), 120 * 16, 300 * 16);
        p.drawLine(QPointF(10, 2.5), QPointF(10, 9.5));
    });
}

QImage newSearchPicture(int scale) {
    return picture(20, 20, scale, QImage::Format_ARGB32, Qt::white, [scale](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, scale > 1);  // crisp at the designed size
        QPolygon page({QPoint(4, 1), QPoint(12, 1), QPoint(16, 5), QPoint(16, 18), QPoint(4, 18)});
        p.setBrush(Qt::white);
        p.setPen(QColor(90, 90, 90));
        p.drawPolygon(page);
        p.setBrush(QColor(220, 220, 220));
        p.drawPolygon(QPolygon({QPoint(12, 1), QPoint(12, 5), QPoint(16, 5)}));
    });
}

void paintDocumentIcon(QPainter& p) {
    p.setBrush(Qt::white);
    p.setPen(QColor(110, 110, 110));
    p.drawPolygon(QPolygonF({QPointF(6.5, 1.5), QPointF(20.5, 1.5), QPointF(26.5, 7.5),
                             QPointF(26.5, 30.5), QPointF(6.5, 30.5)}));
    p.setBrush(QColor(225, 225, 225));
    p.drawPolygon(QPolygonF({QPointF(20.5, 1.5), QPointF(20.5, 7.5), QPointF(26.5, 7.5)}));
    // The red emblem.
    p.setPen(QPen(QColor(205, 30, 30), 1.6));
    p.setBrush(Qt::NoBrush);
    QPainterPath emblem;
    emblem.moveTo(11, 18);
    emblem.cubicTo(13, 8, 15, 8, 16, 12);
    emblem.cubicTo(17, 16, 21, 19, 22, 18);
    emblem.cubicTo(18, 15, 12, 19, 11, 18);
    p.drawPath(emblem);
    // The grey tag with the letters.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 120, 120));
    p.drawRect(QRectF(2, 20, 21, 9));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(8);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 20, 21, 9), Qt::AlignCenter, QStringLiteral("PDF"));
}

QImage documentIcon(int scale) {
    return picture(32, 32, scale, QImage::Format_RGB32, QColor(238, 238, 238), paintDocumentIcon);
}

// Qt's writer makes 24-bit bitmaps only: a 32-bit BI_RGB bitmap, bottom-up, BGRA.
QByteArray bitmap32(const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    QByteArray out;
    auto le = [&out](quint32 v, int n) {
        for (int i = 0; i < n; ++i) out.append(char((v >> (8 * i)) & 0xFF));
    };
    const quint32 pixels = quint32(img.width() * img.height() * 4);
    out.append("BM");
    le(54 + pixels, 4);
    le(0, 4);
    le(54, 4);
    le(40, 4);
    le(quint32(img.width()), 4);
    le(quint32(img.height()), 4);
    le(1, 2);
    le(32, 2);
    le(0, 4);
    le(pixels, 4);
    le(3780, 4);
    le(3780, 4);
    le(0, 4);
    le(0, 4);
    for (int y = img.height() - 1; y >= 0; --y)
        for (int x = 0; x < img.width(); ++x)
            le(img.pixel(x, y), 4);  // 0xAARRGGBB little-endian is B, G, R, A
    return out;
}

// The program's icon for desktops: the title's "V!" on the banner's blues.
QImage appIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal s = size / 48.0;
    QLinearGradient g(0, 0, 0, size);
    g.setColorAt(0, kLightBlue);
    g.setColorAt(1, kDarkBlue);
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2 * s, 2 * s, 44 * s, 44 * s), 8 * s, 8 * s);
    titleText(p, QRect(int(7 * s), 0, int(40 * s), size), QStringLiteral("V!"), int(30 * s));
    return img;
}

bool save(const QImage& img, const QString& path, const char* format) {
    if (qstrcmp(format, "bmp32") == 0) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(bitmap32(img)) > 0)
            return true;
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    QImageWriter writer(path, format);
    if (!writer.write(img)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate-assets FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    for (int scale : {1, 2}) {
        const QString at = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
        ok =
            ok &&
            save(banner(scale), out.filePath(QStringLiteral("banner%1.png").arg(at)), "png") &&
            save(splash(scale), out.filePath(QStringLiteral("splash%1.png").arg(at)), "png") &&
            save(exitPicture(scale), out.filePath(QStringLiteral("exit%1.bmp").arg(at)), "bmp32") &&
            save(newSearchPicture(scale), out.filePath(QStringLiteral("newsearch%1.bmp").arg(at)),
                 "bmp32") &&
            save(documentIcon(scale), out.filePath(QStringLiteral("pdf%1.bmp").arg(at)), "bmp");
    }
    for (int size : {16, 24, 32, 48, 256})
        ok = ok &&
             save(appIcon(size), out.filePath(QStringLiteral("kavinto-%1.png").arg(size)), "png");
    return ok ? 0 : 1;
}

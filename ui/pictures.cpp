#include "pictures.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QImageReader>

// Q_INIT_RESOURCE must stand outside any namespace.
static void initialiseAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace kavinto {
namespace {

// The picture, or on a screen of twice the density or more its version drawn
// at twice the size (NAME@2x), which paints at the same size, sharper.
QPixmap load(const char* name, const char* format) {
    static const bool initialised = (initialiseAssets(), true);
    Q_UNUSED(initialised);
    const bool dense = qApp && qApp->devicePixelRatio() >= 1.5;
    const QString path =
        QStringLiteral(":/assets/%1%2.%3")
            .arg(QString::fromLatin1(name), dense ? QStringLiteral("@2x") : QString(),
                 QString::fromLatin1(format));
    QPixmap picture = QPixmap::fromImage(QImageReader(path, format).read());
    picture.setDevicePixelRatio(dense ? 2 : 1);
    return picture;
}

// As picture buttons draw a bitmap: its bottom-left pixel's colour is transparent.
QPixmap withTransparentCorner(QPixmap picture) {
    const QImage image = picture.toImage();
    if (image.isNull())
        return picture;
    // QPixmap's mask: the pixels of the colour are the transparent ones.
    picture.setMask(picture.createMaskFromColor(image.pixelColor(0, image.height() - 1)));
    return picture;
}

}  // namespace

QPixmap bannerPicture() {
    return load("banner", "jpg");
}
QPixmap splashPicture() {
    return load("splash", "jpg");
}
QPixmap exitPicture() {
    return withTransparentCorner(load("exit", "bmp"));
}
QPixmap newSearchPicture() {
    return withTransparentCorner(load("newsearch", "bmp"));
}
QPixmap documentIcon() {
    return load("pdf", "bmp");
}

QIcon programIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/assets/kavinto-48.png"));
    icon.addFile(QStringLiteral(":/assets/kavinto-256.png"));
    return icon;
}

}  // namespace kavinto

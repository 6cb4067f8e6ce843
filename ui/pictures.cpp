#include "pictures.h"

#include <QImageReader>

// Q_INIT_RESOURCE must stand outside any namespace.
static void initialiseAssets() { Q_INIT_RESOURCE(assets); }

namespace kavinto {
namespace {

QPixmap load(const char* resource, const char* format) {
    static const bool initialised = (initialiseAssets(), true);
    Q_UNUSED(initialised);
    QImageReader reader(QString::fromLatin1(resource), format);
    return QPixmap::fromImage(reader.read());
}

// As picture buttons draw a bitmap: its bottom-left pixel's colour is transparent.
QPixmap withTransparentCorner(const QPixmap& picture) {
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return picture;
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == key)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    QPixmap out = QPixmap::fromImage(image);
    out.setDevicePixelRatio(picture.devicePixelRatio());
    return out;
}

}  // namespace

QPixmap bannerPicture() { return load(":/assets/banner.jpg", "jpeg"); }
QPixmap splashPicture() { return load(":/assets/splash.jpg", "jpeg"); }
QPixmap exitPicture() { return withTransparentCorner(load(":/assets/exit.bmp", "bmp")); }
QPixmap newSearchPicture() { return withTransparentCorner(load(":/assets/newsearch.bmp", "bmp")); }
QPixmap documentIcon() { return load(":/assets/pdf.bmp", "bmp"); }

}  // namespace kavinto

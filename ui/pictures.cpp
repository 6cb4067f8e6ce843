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

}  // namespace

QPixmap bannerPicture() { return load(":/assets/banner.jpg", "jpeg"); }
QPixmap splashPicture() { return load(":/assets/splash.jpg", "jpeg"); }
QPixmap exitPicture() { return load(":/assets/exit.bmp", "bmp"); }
QPixmap newSearchPicture() { return load(":/assets/newsearch.bmp", "bmp"); }
QPixmap documentIcon() { return load(":/assets/pdf.bmp", "bmp"); }

}  // namespace kavinto

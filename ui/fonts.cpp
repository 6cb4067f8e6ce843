#include "fonts.h"

namespace kavinto {

QFont designFont(const QString& family, int pixelHeight, bool bold) {
    QFont font(platformFace(family));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

}  // namespace kavinto

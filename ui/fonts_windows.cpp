#include "fonts.h"

#include <QStringList>

namespace kavinto {

namespace {
const QString kOutlineSansSerif = QStringLiteral("Microsoft Sans Serif");
}

// Windows still has the bitmap "MS Sans Serif", in a few fixed sizes only:
// asked for 13 pixels, it gives its 10-point face and the captions outgrow
// their boxes. Its outline successor, of the same design, is asked for
// instead; where that is missing (as under Wine), a face of its metrics
// (Arial's), so that the captions keep their designed widths, and Tahoma last.
void registerFonts() {
    QFont::insertSubstitutions(
        kOutlineSansSerif,
        QStringList{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), kTahoma});
}

QString platformFace(const QString& designed) {
    return designed == kSansSerif ? kOutlineSansSerif : designed;
}

}  // namespace kavinto

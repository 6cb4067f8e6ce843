#include "fonts.h"

#include <QStringList>

namespace kavinto {

void registerFonts() {
    const QStringList standIns = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    // Substitutes are used only where the designed face itself is missing.
    // Where a Windows lacks the bitmap "MS Sans Serif", its TrueType
    // successor, of the same design and metrics, comes first.
    QFont::insertSubstitutions(kSansSerif,
                               QStringList{QStringLiteral("Microsoft Sans Serif")} + standIns);
    QFont::insertSubstitutions(kTahoma, standIns);
}

QFont designFont(const QString& family, int pixelHeight, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

}  // namespace kavinto

#include "fonts.h"

#include <QStringList>

namespace kavinto {

void registerFonts() {
    const QStringList standIns = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    // Substitutes are used only where the designed face itself is missing.
    for (const QString& family : {kSansSerif, kTahoma})
        QFont::insertSubstitutions(family, standIns);
}

QFont designFont(const QString& family, int pixelHeight, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

}  // namespace kavinto

#include "fonts.h"

#include <QStringList>

namespace kavinto {

// Neither designed face is on Linux: Liberation Sans (Debian's
// fonts-liberation), with the metrics of Arial and so of Windows' own MS Sans
// Serif successor, stands in for both, with DejaVu Sans behind it. Wine's
// Tahoma clone was tried and left out: its bold face renders as a spaced-out
// regular one.
void registerFonts() {
    const QStringList standIns = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    // Substitutes are used only where the designed face itself is missing.
    QFont::insertSubstitutions(kSansSerif, standIns);
    QFont::insertSubstitutions(kTahoma, standIns);
}

QString platformFace(const QString& designed) {
    return designed;
}

}  // namespace kavinto

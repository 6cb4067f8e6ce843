#pragma once

#include <QFont>

namespace kavinto {

// Makes the window's designed faces resolve. On Windows they are used as
// they are, "Microsoft Sans Serif" standing in for "MS Sans Serif" where only
// that TrueType successor is there.
// Neither is on Linux: Liberation Sans (Debian's fonts-liberation), with the
// metrics of Arial and so of Windows' own MS Sans Serif successor, stands in
// for both, with DejaVu Sans behind it. Wine's Tahoma clone was tried and
// left out: its bold face renders as a spaced-out regular one.
void registerFonts();

// A designed font: a face, a height in pixels (the designer's -n), a style.
QFont designFont(const QString& family, int pixelHeight, bool bold = false);

inline const QString kSansSerif = QStringLiteral("MS Sans Serif");
inline const QString kTahoma = QStringLiteral("Tahoma");

}  // namespace kavinto

#pragma once

#include <QFont>

namespace kavinto {

// Makes the window's designed faces resolve on this platform (one file each).
void registerFonts();

// The face this platform draws a designed one with.
QString platformFace(const QString& designed);

// A designed font: a face, a height in pixels (the designer's -n), a style.
QFont designFont(const QString& family, int pixelHeight, bool bold = false);

inline const QString kSansSerif = QStringLiteral("MS Sans Serif");
inline const QString kTahoma = QStringLiteral("Tahoma");

}  // namespace kavinto

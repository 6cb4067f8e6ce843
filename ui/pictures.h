#pragma once

#include <QIcon>
#include <QPixmap>

namespace kavinto {

// The pictures embedded with the program (assets/), read through Qt's
// image readers: the JPEG banner and splash picture, the button bitmaps
// (their bottom-left pixel's colour transparent) and the document icon.
QPixmap bannerPicture();
QPixmap splashPicture();
QPixmap exitPicture();
QPixmap newSearchPicture();
QPixmap documentIcon();
// The program's own icon, as the desktop entry has it, for the title and task bars.
QIcon programIcon();

}  // namespace kavinto

#pragma once

#include "controls.h"
#include "formwindow.h"

namespace kavinto {

// The borderless start-up picture, 600 x 400, centred. It is never the main
// window: hiding it ends nothing.
class Tsplashform : public FormWindow {
    Q_OBJECT
public:
    Tsplashform();

    Picture* Image1;

    // Shows the window and paints it before returning, without running the
    // message loop for anything but the window's own exposure.
    void showAndPaint();
};

// The program's splash window, set once at start-up.
extern Tsplashform* splashform;

}  // namespace kavinto

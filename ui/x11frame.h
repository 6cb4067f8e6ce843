#pragma once

#include <QMargins>

#include <optional>

class QWindow;

namespace kavinto {

// The frame a window manager will put around the window, asked of it before
// the window is first mapped (EWMH _NET_REQUEST_FRAME_EXTENTS), in the
// window's device-independent pixels. Nothing where the platform is not X11,
// no window manager runs, the session is Wayland's (where XWayland's
// compositor draws frames of its own), or it does not answer within a fifth
// of a second.
// Creates the window's native window, unmapped, if it has none yet.
std::optional<QMargins> requestFrameExtents(QWindow* window);

// The frame the window manager says the window has now (_NET_FRAME_EXTENTS),
// in device-independent pixels; nothing where it says none.
std::optional<QMargins> currentFrameExtents(QWindow* window);

// Whether the program runs on a Wayland session (through XWayland): there
// the compositor draws the frame, and the margins reported for it count
// invisible shadows, so they say nothing of the outer size.
bool onWaylandSession();

}  // namespace kavinto

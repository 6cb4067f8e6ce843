#pragma once

#include <QMargins>

#include <functional>
#include <optional>

class QWindow;

namespace kavinto {

// The frame the window system will put around the window, known before the
// window is first shown, in the window's device-independent pixels. On X11
// it is asked of the window manager before the first map (EWMH
// _NET_REQUEST_FRAME_EXTENTS): nothing where no window manager runs, the
// session is Wayland's (where XWayland's compositor draws frames of its own),
// or it does not answer within a fifth of a second. On Windows it is the
// frame Windows draws for the window's style.
// Creates the window's native window, unmapped, if it has none yet.
std::optional<QMargins> requestFrameExtents(QWindow* window);

// Calls `arrived` once, on the GUI thread, with the frame the window manager
// sets on the window after it is mapped: the way to learn it where the
// request above went unanswered. Nothing is called where no window manager
// sets one (and never on Windows, whose frame is known at once).
void watchFrameExtents(QWindow* window, std::function<void(QMargins)> arrived);

// The frame the window has now, in device-independent pixels; nothing where
// the window system says none.
std::optional<QMargins> currentFrameExtents(QWindow* window);

// Whether a window manager runs, which frames and places windows; false
// where the window system is known to have none (a bare X server).
bool windowManagerRuns();

// Whether the program runs on a Wayland session (through XWayland): there
// the compositor draws the frame, and the margins reported for it count
// invisible shadows, so they say nothing of the outer size.
bool onWaylandSession();

}  // namespace kavinto

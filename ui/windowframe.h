#pragma once

#include <QMargins>
#include <QPoint>
#include <QSize>

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

// Calls `changed`, on the GUI thread, each time the window manager sets the
// window's frame (EWMH _NET_FRAME_EXTENTS): the way to learn the frame where
// the request above went unanswered, and of a frame that changes later.
// Nothing is called where no window manager sets one (and never on Windows,
// whose frame is known at once).
void watchFrameExtents(QWindow* window, std::function<void(QMargins)> changed);

// For `msecs` after the late frame arrived and the window was placed at
// `wanted` (its client's top-left corner): a window manager still placing it
// (fluxbox) may put it back where it was first mapped, `mapped`, and not
// always tell Qt; whenever the window system says it stands there, it is
// asked to go to `wanted` again. Nothing on Windows.
void keepPlaced(QWindow* window, QPoint mapped, QPoint wanted, int msecs);

// For `msecs`, whenever the window system says the visible window's client
// area has another size than `size` (in device-independent pixels), it is
// asked for that size again: a window manager busy maximising may drop the
// request and still tell Qt the size was taken. Nothing on Windows.
void keepSize(QWindow* window, QSize size, int msecs);

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

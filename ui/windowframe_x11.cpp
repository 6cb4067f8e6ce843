#include "windowframe.h"

#include <QtGui/qguiapplication_platform.h>
#include <QAbstractNativeEventFilter>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace kavinto {
namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

std::vector<uint32_t> property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name,
                               xcb_atom_t type) {
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 16), nullptr);
    std::vector<uint32_t> values;
    if (reply && reply->format == 32) {
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        values.assign(v, v + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

xcb_connection_t* connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::optional<QMargins> extentsOf(xcb_connection_t* c, QWindow* window) {
    const std::vector<uint32_t> v = property(c, xcb_window_t(window->winId()),
                                             atom(c, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
    if (v.size() != 4)
        return std::nullopt;
    // Each pair rounded as a whole: at scale 2 a frame of 1 + 1 device
    // pixels is 1 logical pixel, not 2, so that the outer size stays twice.
    const qreal ratio = window->devicePixelRatio();
    const int left = qRound(v[0] / ratio), top = qRound(v[2] / ratio);
    return QMargins(left, top, qRound((v[0] + v[1]) / ratio) - left,
                    qRound((v[2] + v[3]) / ratio) - top);
}

// Hands over each _NET_FRAME_EXTENTS of the window among the events Qt reads.
class FrameExtentsWatch : public QObject, public QAbstractNativeEventFilter {
public:
    FrameExtentsWatch(QWindow* window, std::function<void(QMargins)> changed)
        : QObject(window),
          m_window(window),
          m_id(xcb_window_t(window->winId())),
          m_atom(atom(connection(), "_NET_FRAME_EXTENTS")),
          m_changed(std::move(changed)) {
        qGuiApp->installNativeEventFilter(this);
    }
    ~FrameExtentsWatch() override { qGuiApp->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (change->window != m_id || change->atom != m_atom)
            return false;
        if (const std::optional<QMargins> extents = extentsOf(connection(), m_window))
            m_changed(*extents);
        return false;
    }

private:
    QWindow* m_window;
    xcb_window_t m_id;
    xcb_atom_t m_atom;
    std::function<void(QMargins)> m_changed;
};

// Keeps a window where and at the size the program put it, for a while after:
// a window manager may drop a request that came while it was busy (fluxbox
// placing a new window, or maximising one), and not always tell Qt, which
// then believes the window went where it was sent. So the server is asked.
class PlacementGuard : public QObject {
public:
    explicit PlacementGuard(QWindow* window)
        : QObject(window), m_window(window), m_id(xcb_window_t(window->winId())) {
        setObjectName(QStringLiteral("kavinto-placement-guard"));
        connect(&m_timer, &QTimer::timeout, this, &PlacementGuard::check);
    }
    // The window's guard, made at the first call. (Found by name: the class
    // has no meta-object of its own to be found by.)
    static PlacementGuard* of(QWindow* window) {
        QObject* guard = window->findChild<QObject*>(QStringLiteral("kavinto-placement-guard"),
                                                     Qt::FindDirectChildrenOnly);
        return guard ? static_cast<PlacementGuard*>(guard) : new PlacementGuard(window);
    }
    void holdPlace(QPoint mapped, QPoint wanted, int msecs) {
        m_mapped = mapped;
        m_wanted = wanted;
        extend(msecs);
    }
    void holdSize(QSize size, int msecs) {
        m_size = size;
        extend(msecs);
    }

private:
    void extend(int msecs) {
        if (m_until.remainingTime() < msecs)
            m_until = QDeadlineTimer(msecs);
        m_timer.start(100);
    }
    void check() {
        xcb_connection_t* c = connection();
        if (!c || m_until.hasExpired()) {
            m_timer.stop();
            return;
        }
        const qreal ratio = m_window->devicePixelRatio();
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        if (m_mapped) {
            xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
                c, xcb_translate_coordinates(c, m_id, root, 0, 0), nullptr);
            if (at && QPoint(at->dst_x, at->dst_y) == *m_mapped * ratio) {
                const QPoint to = *m_wanted * ratio;
                const uint32_t xy[] = {uint32_t(to.x()), uint32_t(to.y())};
                xcb_configure_window(c, m_id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, xy);
            }
            std::free(at);
        }
        if (m_size) {
            xcb_get_geometry_reply_t* now =
                xcb_get_geometry_reply(c, xcb_get_geometry(c, m_id), nullptr);
            const QSize wanted = *m_size * ratio;
            if (now && QSize(now->width, now->height) != wanted) {
                const uint32_t wh[] = {uint32_t(wanted.width()), uint32_t(wanted.height())};
                xcb_configure_window(c, m_id, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                                     wh);
            }
            std::free(now);
        }
        xcb_flush(c);
    }

    QWindow* m_window;
    xcb_window_t m_id;
    QTimer m_timer;
    QDeadlineTimer m_until;
    std::optional<QPoint> m_mapped, m_wanted;
    std::optional<QSize> m_size;
};

bool guarded(QWindow* window) {
    return window && connection() && windowManagerRuns() && !onWaylandSession();
}

}  // namespace

void keepPlaced(QWindow* window, QPoint mapped, QPoint wanted, int msecs) {
    if (guarded(window))
        PlacementGuard::of(window)->holdPlace(mapped, wanted, msecs);
}

void keepSize(QWindow* window, QSize size, int msecs) {
    if (guarded(window) && window->isVisible())
        PlacementGuard::of(window)->holdSize(size, msecs);
}

void watchFrameExtents(QWindow* window, std::function<void(QMargins)> changed) {
    if (guarded(window))
        new FrameExtentsWatch(window, std::move(changed));
}

bool onWaylandSession() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

std::optional<QMargins> currentFrameExtents(QWindow* window) {
    xcb_connection_t* c = connection();
    if (!c || !window || onWaylandSession())
        return std::nullopt;
    return extentsOf(c, window);
}

bool windowManagerRuns() {
    xcb_connection_t* c = connection();
    if (!c)
        return true;  // not X11: the platform's own
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    return !property(c, root, atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW).empty();
}

std::optional<QMargins> requestFrameExtents(QWindow* window) {
    xcb_connection_t* c = connection();
    if (!c || !window)
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    if (!windowManagerRuns())
        return std::nullopt;  // no window manager: no frame
    if (onWaylandSession())
        return std::nullopt;
    const auto id = xcb_window_t(window->winId());

    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = id;
    request.type = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&request));
    xcb_flush(c);
    // The answer is a property on our window; its change event would reach Qt's queue, so read it
    // directly.
    const QDeadlineTimer deadline(200);
    do {
        if (const std::optional<QMargins> extents = extentsOf(c, window))
            return extents;
        QThread::msleep(5);
    } while (!deadline.hasExpired());
    return std::nullopt;
}

}  // namespace kavinto

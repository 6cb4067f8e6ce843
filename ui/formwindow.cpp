#include "formwindow.h"

#include "accessibility.h"

#include "windowframe.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace kavinto {
namespace {

// The program's focused form; OnActivate fires when it changes to a form.
FormWindow* focusedForm = nullptr;

const QMargins kDesignedFrame(3, 26, 3, 3);

}  // namespace

FormWindow::FormWindow(Qt::WindowFlags flags) : QWidget(nullptr, flags) {
    installAccessibility();
    // The focused control always shows its ring: Qt shows it only after a
    // key moved the focus, and forgets it when the window is activated or
    // clicked. The ring is painted after the focus change is told.
    setAttribute(Qt::WA_KeyboardFocusChange);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == this)
            setAttribute(Qt::WA_KeyboardFocusChange);
    });
}

FormWindow::~FormWindow() {
    if (focusedForm == this)
        focusedForm = nullptr;
}

QMargins FormWindow::frame() const {
    if (windowFlags() & Qt::FramelessWindowHint)
        return {};
    if (onWaylandSession())
        return kDesignedFrame;
    // The window manager's own word; the margins Qt works out from the frame
    // window's geometry pass through wrong values while it reparents.
    if (m_managerFrame) {
        const std::optional<QMargins> now = currentFrameExtents(windowHandle());
        return now ? *now : *m_managerFrame;
    }
    const QMargins reported = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    return reported.isNull() ? kDesignedFrame : reported;
}

void FormWindow::setVisible(bool visible) {
    if (visible && !m_frameAsked && !(windowFlags() & Qt::FramelessWindowHint)) {
        m_frameAsked = true;
        winId();
        m_managerFrame = requestFrameExtents(windowHandle());
        // Unanswered (fluxbox answers only once the window is mapped), the
        // frame is corrected, size and place, as soon as it is set; any later
        // change (a maximised window may lose its borders) keeps the outer size.
        watchFrameExtents(windowHandle(), [this](QMargins frame) {
            const bool place = !m_managerFrame;
            const QPoint mapped = geometry().topLeft();
            m_managerFrame = frame;
            keepOuterSize();
            if (place) {
                centreOnScreen();
                keepPlaced(windowHandle(), mapped, geometry().topLeft(), 3000);
            }
        });
        // What the request brought (a configure notification among it) is
        // taken now: arriving after the sizing below, it would hand Qt a stale
        // geometry, whose position the next resize would send back.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        keepOuterSize();
    }
    if (visible && !m_centred) {
        m_centred = true;
        centreOnScreen();
    }
    QWidget::setVisible(visible);
}

void FormWindow::setWidth(int w) {
    if (w == Width())
        return;
    // setFixedWidth alone leaves a size the window system imposed (maximising).
    const int client = std::max(1, w - frame().left() - frame().right());
    m_knownFrame = frame();
    setFixedWidth(client);
    resize(client, height());
    keepSize(windowHandle(), size(), 1000);
}

void FormWindow::setHeight(int h) {
    if (h == Height())
        return;
    const int client = std::max(1, h - frame().top() - frame().bottom());
    m_knownFrame = frame();
    setFixedHeight(client);
    resize(width(), client);
    keepSize(windowHandle(), size(), 1000);
}

void FormWindow::create() {
    m_created = true;
    m_knownFrame = frame();
    runHandler(OnCreate);
}

void FormWindow::keepOuterSize() {
    // A window manager reports the real frame only once the window is mapped:
    // keep the outer size the form had with the frame assumed before.
    const QMargins now = frame();
    if (now == m_knownFrame)
        return;
    const int outerWidth = width() + m_knownFrame.left() + m_knownFrame.right();
    const int outerHeight = height() + m_knownFrame.top() + m_knownFrame.bottom();
    m_knownFrame = now;
    setWidth(outerWidth);
    setHeight(outerHeight);
}

void FormWindow::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    // Without a window manager nothing frames the window: the client itself is centred.
    const bool framed = m_managerFrame || windowManagerRuns();
    const QPoint corner(area.x() + (area.width() - (framed ? Width() : width())) / 2,
                        area.y() + (area.height() - (framed ? Height() : height())) / 2);
    if (m_managerFrame)  // the client goes where the frame leaves it
        setGeometry(QRect(corner + QPoint(m_managerFrame->left(), m_managerFrame->top()), size()));
    else
        move(corner);
}

bool FormWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && focusedForm != this) {
        focusedForm = this;
        const bool result = QWidget::event(e);
        runHandler(OnActivate);
        return result;
    }
    return QWidget::event(e);
}

void FormWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (m_created)
        runHandler(OnResize);
}

void FormWindow::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    keepOuterSize();
}

}  // namespace kavinto

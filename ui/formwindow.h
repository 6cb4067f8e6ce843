#pragma once

#include "handler.h"

#include <QMargins>
#include <QWidget>

#include <optional>

namespace kavinto {

// A top-level form with a fixed, single frame. Width and Height are the
// outer size, frame and title bar included. Before the form is first mapped
// it asks the window manager for the frame it will get, so that the outer
// size holds from the first map and the frame, not the client, is centred
// on the screen. Where there is no frame to know (offscreen, no window
// manager, a Wayland compositor's frame), a Windows frame of 3 + 3 by 26 + 3
// pixels is assumed, so that 646 x 460 keeps the designed client area of
// 640 x 431.
//
// OnCreate fires once, from the subclass's constructor through create().
// OnResize fires after every change of size from then on; setting the size
// the form already has changes nothing and fires nothing. OnActivate fires
// when the form becomes the program's focused form; switching to another
// application and back does not change that, nor does a message box.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(Qt::WindowFlags flags);
    ~FormWindow() override;

    int Width() const { return width() + frame().left() + frame().right(); }
    int Height() const { return height() + frame().top() + frame().bottom(); }
    void setWidth(int width);
    void setHeight(int height);
    void setVisible(bool visible) override;

    Event OnCreate;
    Event OnResize;
    Event OnActivate;

protected:
    // Fires OnCreate; subclasses call it once their controls exist.
    void create();
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    QMargins frame() const;
    void keepOuterSize();
    void centreOnScreen();

    bool m_created = false;
    bool m_centred = false;
    bool m_frameAsked = false;
    std::optional<QMargins> m_managerFrame;  // what the window manager said of the frame
    // The frame the client size was last worked out for.
    QMargins m_knownFrame;
};

}  // namespace kavinto

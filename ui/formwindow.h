#pragma once

#include "handler.h"

#include <QMargins>
#include <QWidget>

namespace kavinto {

// A top-level form with a fixed, single frame. Width and Height are the
// outer size, frame and title bar included: where the platform reports no
// frame (before mapping, offscreen, no window manager), a Windows frame of
// 3 + 3 by 26 + 3 pixels is assumed, so that 646 x 460 keeps the designed
// client area of 640 x 431.
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

    Event OnCreate;
    Event OnResize;
    Event OnActivate;

protected:
    // Fires OnCreate; subclasses call it once their controls exist.
    void create();
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    QMargins frame() const;
    void keepOuterSize();
    void centreOnScreen();

    bool m_created = false;
    bool m_centred = false;
    QMargins m_knownFrame;
};

}  // namespace kavinto

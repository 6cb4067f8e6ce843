#include "tsplashform.h"

#include "pictures.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWindow>

namespace kavinto {

Tsplashform* splashform = nullptr;

Tsplashform::Tsplashform() : FormWindow(Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("splashform"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    const QPixmap picture = splashPicture();
    Image1 = new Picture(picture, this);
    Image1->setGeometry(QRect(QPoint(0, 0), picture.deviceIndependentSize().toSize()));
    setFixedSize(600, 400);
    create();
}

void Tsplashform::showAndPaint() {
    show();
    raise();
    activateWindow();
    // A window can be painted only once the display has mapped it: wait for
    // that alone, briefly, and paint at once.
    const QDeadlineTimer deadline(1000);
    while (windowHandle() && !windowHandle()->isExposed() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace kavinto

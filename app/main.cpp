// The start-up sequence: the platform (XWayland on a Wayland session), the application, the main
// window (hidden, its creation handler run), the data module with its tables closed, the splash
// window shown and painted, the busy pause, the splash hidden, then the
// message loop, which shows the main window. Owners destroy what they own,
// in the reverse order, when the loop ends.

#include "data.h"
#include "fonts.h"
#include "pictures.h"
#include "platformchoice.h"
#include "startuptable.h"
#include "tform1.h"
#include "tsplashform.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    const QByteArray platform = kavinto::platformChoice(
        qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"));
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(KAVINTO_VERSION));
    QApplication::setWindowIcon(kavinto::programIcon());
    kavinto::registerFonts();

    auto form = std::make_unique<kavinto::TForm1>();
    kavinto::Form1 = form.get();
    auto data = std::make_unique<kavinto::TData>();
    kavinto::Data = data.get();
    auto splash = std::make_unique<kavinto::Tsplashform>();
    kavinto::splashform = splash.get();

    splash->showAndPaint();
    static kavinto::StartupTable startupTable;  // kept until the process ends
    startupTable.fill();
    splash->hide();

    form->show();
    form->activateWindow();
    return application.exec();
}

#include "handler.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>

#include <exception>

namespace kavinto {
namespace {

void presentModally(const QString& caption, const QString& text) {
    makeErrorBox(caption, text, QApplication::activeWindow())->exec();
}

ErrorBoxPresenter& presenter() {
    static ErrorBoxPresenter current = presentModally;
    return current;
}

}  // namespace

std::unique_ptr<QMessageBox> makeErrorBox(const QString& caption, const QString& text,
                                          QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, caption, text, QMessageBox::Ok,
                                             parent);
    box->setWindowModality(Qt::ApplicationModal);
    // A short message makes a box too narrow for its title bar to show the
    // caption beside the window manager's buttons: widen it to hold both.
    const int captionWidth =
        QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(caption);
    if (auto* layout = qobject_cast<QGridLayout*>(box->layout()))
        layout->addItem(new QSpacerItem(std::max(240, captionWidth + 160), 0, QSizePolicy::Minimum,
                                        QSizePolicy::Expanding),
                        layout->rowCount(), 0, 1, layout->columnCount());
    return box;
}

void runHandler(const Event& handler) {
    if (!handler)
        return;
    try {
        handler();
    } catch (const std::exception& e) {
        showErrorBox(QString::fromUtf8(e.what()));
    }
}

QString applicationTitle(const QString& executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name.left(1) + name.mid(1).toLower();
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void showErrorBox(const QString& message) {
    presenter()(applicationTitle(QCoreApplication::applicationFilePath()), errorBoxText(message));
}

ErrorBoxPresenter setErrorBoxPresenter(ErrorBoxPresenter replacement) {
    ErrorBoxPresenter previous = std::move(presenter());
    presenter() = replacement ? std::move(replacement) : ErrorBoxPresenter(presentModally);
    return previous;
}

}  // namespace kavinto

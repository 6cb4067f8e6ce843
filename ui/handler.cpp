#include "handler.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <exception>

namespace kavinto {
namespace {

void presentModally(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

ErrorBoxPresenter& presenter() {
    static ErrorBoxPresenter current = presentModally;
    return current;
}

}  // namespace

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

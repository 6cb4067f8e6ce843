#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace kavinto {

// An event property in the manner of the controls: empty, or the handler to run.
using Event = std::function<void()>;

// Runs an event handler. A failure it throws ends the handler there and is
// reported in the standard error box; whatever the handler did before stays,
// and the program goes on. Every control runs its events through here.
void runHandler(const Event& handler);

// The application's title: the executable's file name without folder, cut
// at its first ".", every character after the first in lower case.
QString applicationTitle(const QString& executablePath);

// The error box text: the message, with "." appended when it is not empty
// and its last character sorts after ".".
QString errorBoxText(const QString& message);

// The modal error box: the text, the application's title as caption, an
// error icon and one OK button; never narrower than its caption needs.
std::unique_ptr<QMessageBox> makeErrorBox(const QString& caption, const QString& text,
                                          QWidget* parent);

// Shows the modal error box. Tests replace the presenter.
using ErrorBoxPresenter = std::function<void(const QString& caption, const QString& text)>;
void showErrorBox(const QString& message);
ErrorBoxPresenter setErrorBoxPresenter(ErrorBoxPresenter presenter);

}  // namespace kavinto

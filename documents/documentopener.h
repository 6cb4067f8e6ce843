#pragma once

#include <QString>
#include <QWindow>

namespace kavinto {

// Hands a document to the system's viewer. A seam: tests record the requests.
class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;
    // `path` is relative to the working directory; `owner` is the main window.
    virtual void open(const QString& path, QWindow* owner) = 0;
};

// Hands the document to the system: the shell's "open" with the owner window
// on Windows, QDesktopServices (xdg-open) elsewhere. The result is not
// examined: the viewer reports its own failures.
class SystemDocumentOpener : public DocumentOpener {
public:
    void open(const QString& path, QWindow* owner) override;
};

}  // namespace kavinto

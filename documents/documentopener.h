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

// Opens through QDesktopServices (xdg-open on Linux, the shell's "open" on
// Windows). The result is not examined: the viewer reports its own failures.
class SystemDocumentOpener : public DocumentOpener {
public:
    void open(const QString& path, QWindow* owner) override;
};

}  // namespace kavinto

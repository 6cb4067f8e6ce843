#pragma once

#include <QString>
#include <QWindow>

#include <functional>

namespace kavinto {

// Hands a document to the system's viewer. A seam: tests record the requests.
class DocumentOpener {
public:
    using Failed = std::function<void()>;
    virtual ~DocumentOpener() = default;
    // `path` is relative to the working directory; `owner` is the main window.
    // `failed` runs on the calling thread when the system says that it cannot
    // open the document: at once, or while the hand-over is still being
    // watched (a few seconds); never while `open` waits.
    virtual void open(const QString& path, QWindow* owner, Failed failed) = 0;
};

// Hands the document to the system: the shell's "open" with the owner window
// on Windows, which fails at once where no program is registered; xdg-open
// elsewhere, which fails where it cannot be started or ends within 5 seconds
// with its own failure statuses (3: a file not found, 4: the action failed).
// A later status, or a viewer's, is the viewer's own to report; the launcher
// and the viewer outlive the program.
class SystemDocumentOpener : public DocumentOpener {
public:
    void open(const QString& path, QWindow* owner, Failed failed) override;
};

}  // namespace kavinto

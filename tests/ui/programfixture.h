#pragma once

#include "data.h"
#include "documentopener.h"
#include "handler.h"
#include "packetbuilder.h"
#include "tform1.h"

#include <QDir>
#include <QTest>

#include <memory>

namespace kavinto::test {

// What a window system delivers for a double click: press, release, the
// second press as a double-click event, release.
void doubleClick(QWidget* w, QPoint at);

// Records the documents handed to the system, and how to report the last
// hand-over's failure.
class RecordingOpener : public DocumentOpener {
public:
    RecordingOpener(QStringList& log, Failed& lastFailure)
        : m_log(log), m_lastFailure(lastFailure) {}
    void open(const QString& path, QWindow* owner, Failed failed) override {
        m_log << path + (owner ? QString() : QStringLiteral(" (no owner)"));
        m_lastFailure = std::move(failed);
    }

private:
    QStringList& m_log;
    Failed& m_lastFailure;
};

// Methods with ids, names, documents and the functions each serves.
struct MethodRow {
    int id;
    const char* name;
    const char* file;
    std::vector<int> functions;
};

Packet methodsTable(const std::vector<MethodRow>& rows);
Packet functionsTable(const std::vector<std::pair<int, const char*>>& rows);

// The whole program in a scratch working folder: a data module, the main
// window with a recording document opener, the error box intercepted.
class Program {
public:
    Program();
    ~Program();

    ScratchDir dir;
    TData data;
    std::unique_ptr<TForm1> form;
    QStringList opened;
    DocumentOpener::Failed failHandOver;  // the last hand-over's failure, as the system reports it
    QStringList errors;                   // texts of the error boxes shown
    int terminations = 0;

    void writeMethods(const Packet& p) {
        dir.write(QStringLiteral("data/kavinto_modszerek.cds"), catalogueFile(p));
    }
    void writeFunctions(const Packet& p) {
        dir.write(QStringLiteral("data/kavinto_funkciok.cds"), catalogueFile(p));
    }
    void writeDocument(const QString& name) {
        dir.write(QStringLiteral("pdf/") + name, "%PDF-1.4\n");
    }

    // Creates, shows and activates the window, which loads the catalogue.
    bool start();

    // The user's own choice in a list, by its text.
    void choose(DropDownList* list, const QString& text);
    void click(QWidget* widget);
    QStringList items(const DropDownList* list) const;
    // Row r of the grid as "number|name|functions|file" (hidden columns included).
    QString row(int r) const;

private:
    QString m_previousDir;
    ErrorBoxPresenter m_previousPresenter;
};

}  // namespace kavinto::test

#include "commands.h"
#include "console.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>
#include <optional>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The devices outlive the streams, which flush into them as they end.
    const std::unique_ptr<QIODevice> outDevice = kavinto::openConsoleStream(stdout);
    const std::unique_ptr<QIODevice> errDevice = kavinto::openConsoleStream(stderr);
    QTextStream out(outDevice.get());
    QTextStream err(errDevice.get());
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    if (const std::optional<QString> argument = kavinto::unrepresentableArgument(argc, argv)) {
        err << "kavinto-catalogue: the name " << *argument
            << " is not UTF-8, the system's encoding; rename it, so that no other file is read or "
               "written\n";
        return 1;
    }
    return kavinto::runCatalogueCommand(app.arguments().mid(1), out, err);
}

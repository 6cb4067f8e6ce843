#include "commands.h"
#include "console.h"

#include <QCoreApplication>

#include <cstdio>
#include <optional>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    kavinto::prepareConsole();
    QTextStream out(stdout);
    QTextStream err(stderr);
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

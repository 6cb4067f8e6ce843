#include "commands.h"
#include "console.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    kavinto::prepareConsole();
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    return kavinto::runCatalogueCommand(app.arguments().mid(1), out, err);
}

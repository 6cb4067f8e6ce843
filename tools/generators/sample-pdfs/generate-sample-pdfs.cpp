// Writes one PDF per method of the sample catalogue: a one-page description
// of the method (aim, course, tips, the functions it serves), in Hungarian.
// Usage: generate-sample-pdfs METHODS.csv FUNCTIONS.csv OUT_DIR

#include "csv.h"
#include "error.h"
#include "schema.h"

#include <QDir>
#include <QGuiApplication>
#include <QHash>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstdio>

namespace {

QString cell(const kavinto::CsvTable& t, const kavinto::CsvTable::Row& row, const QString& column) {
    const int c = t.column(column);
    return c >= 0 ? row.cells.value(c).trimmed() : QString();
}

QString html(const QString& name, const QStringList& functions, const QString& aim,
             const QString& course, const QString& tips) {
    const QString served = functions.isEmpty()
                               ? QStringLiteral("(a módszer egyik funkciót sem szolgálja)")
                               : functions.join(QStringLiteral(", ")).toHtmlEscaped();
    return QStringLiteral(
               "<html><body style=\"font-family:'DejaVu Sans'; font-size:11pt\">"
               "<p style=\"color:#12306f; font-size:9pt\">VELOR! Tarmeni – módszertani "
               "katalógus</p>"
               "<h1 style=\"color:#12306f\">%1</h1>"
               "<p><b>Funkciók:</b> %2</p>"
               "<h2>A módszer célja</h2><p>%3</p>"
               "<h2>Menete</h2><p>%4</p>"
               "<h2>Tippek</h2><p>%5</p>"
               "</body></html>")
        .arg(name.toHtmlEscaped(), served, aim.toHtmlEscaped(), course.toHtmlEscaped(),
             tips.toHtmlEscaped());
}

}  // namespace

int main(int argc, char** argv) {
    // Draws no window: needs no display, on any system.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", KAVINTO_HEADLESS_PLATFORM);
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: generate-sample-pdfs METHODS.csv FUNCTIONS.csv OUT_DIR\n");
        return 2;
    }
    try {
        const kavinto::CsvTable methods = kavinto::readCsvFile(QString::fromLocal8Bit(argv[1]));
        const kavinto::CsvTable functions = kavinto::readCsvFile(QString::fromLocal8Bit(argv[2]));
        QHash<QString, QString> functionNames;
        for (const auto& row : functions.rows)
            functionNames.insert(cell(functions, row, kavinto::kFunctionIdField),
                                 cell(functions, row, kavinto::kFunctionNameField));
        const QDir out(QString::fromLocal8Bit(argv[3]));
        out.mkpath(QStringLiteral("."));
        for (const auto& row : methods.rows) {
            QStringList served;
            for (int k = 1; k <= kavinto::kFunctionCount; ++k)
                if (cell(methods, row, kavinto::methodFlagField(k)) == QLatin1String("1"))
                    served << functionNames.value(QString::number(k));
            const QString name = cell(methods, row, kavinto::kMethodNameField);
            QPdfWriter pdf(out.filePath(cell(methods, row, kavinto::kMethodFileField)));
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setResolution(300);
            pdf.setTitle(name);
            pdf.setCreator(QStringLiteral("kavinto"));
            QTextDocument doc;
            // The description's own columns, which the catalogue does not hold.
            doc.setHtml(html(name, served, cell(methods, row, QStringLiteral("cel")),
                             cell(methods, row, QStringLiteral("menet")),
                             cell(methods, row, QStringLiteral("tippek"))));
            doc.print(&pdf);
        }
    } catch (const kavinto::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

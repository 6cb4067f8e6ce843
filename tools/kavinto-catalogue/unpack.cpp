#include "unpack.h"

#include "allornothing.h"
#include "clientdataset.h"
#include "compressedfile.h"
#include "csv.h"
#include "error.h"
#include "pack.h"
#include "quoted.h"
#include "schema.h"

#include <QDir>
#include <QFileInfo>

namespace kavinto {
namespace {

// Quoted at commas too, where a spreadsheet might take them for the separator.
QString csvCell(const QString& text) {
    return csvField(text, u";,");
}

struct CsvColumn {
    QString name;
    int field;  // -1 where the table lacks it
    FieldType packs;
};

// One table as CSV text: the catalogue's columns, then the table's other fields.
QByteArray tableCsv(const TClientDataSet& table, const QString& file,
                    const std::vector<SchemaField>& own, QStringList& notes) {
    const std::shared_ptr<const LoadedTable> content = table.content();
    const Table& t = content->table();
    std::vector<CsvColumn> columns;
    std::vector<bool> taken(std::size_t(t.fieldCount()), false);
    for (const auto& [name, type] : own) {
        const int field = t.fieldIndex(name);
        columns.push_back({name, field, type});
        if (field < 0) {
            notes << QStringLiteral("%1: the table has no field %2; its column is left empty")
                         .arg(file, escaped(name));
            continue;
        }
        taken[std::size_t(field)] = true;
        if (t.field(field).type != type)
            notes << QStringLiteral("%1: %2 is a %3 field; pack writes it as %4")
                         .arg(file, name, fieldTypeName(t.field(field).type), fieldTypeName(type));
    }
    QStringList extra;
    for (int f = 0; f < t.fieldCount(); ++f)
        if (!taken[std::size_t(f)]) {
            columns.push_back({t.field(f).name, f, t.field(f).type});
            extra << t.field(f).name;
        }
    if (!extra.isEmpty())
        notes << QStringLiteral(
                     "%1: kept the further fields %2 in further columns; pack does not write them")
                     .arg(file, escaped(extra.join(QStringLiteral(", "))));

    QString text = QStringLiteral("\uFEFF");
    QStringList header;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const CsvColumn& c = columns[i];
        // A text width other than pack's own choice is kept in the header: "mod_nev[300]".
        int longest = 0;
        if (i < own.size() && c.field >= 0 && c.packs == FieldType::String &&
            isTextType(t.field(c.field).type)) {
            for (std::size_t r = 0; r < t.recordCount(); ++r) {
                const Value v = t.value(r, c.field);
                longest = std::max<int>(longest, v.isNull() ? 0 : int(v.toText().trimmed().size()));
            }
            const int width = t.field(c.field).width;
            if (width > 0 && width != textWidth(0, longest)) {
                header << csvCell(QStringLiteral("%1[%2]").arg(c.name).arg(width));
                continue;
            }
        }
        header << csvCell(c.name);
    }
    text += header.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    for (std::size_t r = 0; r < t.recordCount(); ++r) {
        QStringList cells;
        for (const CsvColumn& c : columns) {
            const Value v = c.field < 0 ? Value() : t.value(r, c.field);
            const QString cell = v.isNull() ? QString() : v.toText();
            if (c.packs == FieldType::String && cell != cell.trimmed() &&
                cells.size() < int(own.size()))
                notes << QStringLiteral(
                             "%1: record %2: %3 has spaces at its ends, which pack removes")
                             .arg(file)
                             .arg(r + 1)
                             .arg(c.name);
            cells << csvCell(cell);
        }
        text += cells.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

TClientDataSet loaded(const QString& path, const QString& name) {
    TClientDataSet table(name);
    LoadDataset(table, path);
    return table;
}

}  // namespace

QStringList unpackCatalogue(const QString& dir, const QString& outDir, bool overwrite) {
    const QDir in(dir), out(outDir);
    const QString methodsCsv = out.filePath(QStringLiteral("methods.csv"));
    const QString functionsCsv = out.filePath(QStringLiteral("functions.csv"));
    if (!overwrite)
        for (const QString& f : {methodsCsv, functionsCsv})
            if (QFileInfo::exists(f))
                throw Error(QStringLiteral("%1: the file exists; --force replaces it").arg(f));

    QStringList notes;
    const QByteArray methods =
        tableCsv(loaded(in.filePath(kMethodsFile), QStringLiteral("MClientData")),
                 QStringLiteral("methods.csv"), methodFields(), notes);
    const QByteArray functions =
        tableCsv(loaded(in.filePath(kFunctionsFile), QStringLiteral("FClientData")),
                 QStringLiteral("functions.csv"), functionFields(), notes);
    // What pack would refuse in these files, said now rather than at packing.
    try {
        PackFaults faults;
        std::set<int> functionIds;
        CsvReader functionsReader(functions, QStringLiteral("functions.csv"));
        functionsPacket(functionsReader, functionIds, faults);
        CsvReader methodsReader(methods, QStringLiteral("methods.csv"));
        methodsPacket(methodsReader, functionIds, faults);
        faults.throwIfAny();
    } catch (const Error& e) {
        for (const QString& line : e.message().split(QLatin1Char('\n')))
            notes << QStringLiteral("pack will refuse %1").arg(line);
    }

    createFolder(outDir);
    writeAllOrNothing({{methodsCsv, methods}, {functionsCsv, functions}});
    return notes;
}

}  // namespace kavinto

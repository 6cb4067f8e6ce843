#include "pack.h"

#include "allornothing.h"
#include "binarypacketwriter.h"
#include "compressedfile.h"
#include "error.h"
#include "quoted.h"
#include "schema.h"

#include <QDir>
#include <QStringEncoder>

#include <unordered_set>

namespace kavinto {
namespace {

constexpr qsizetype kMaxTextBytes = 0xFFFF;

[[noreturn]] void refuse(const CsvTable& t, int line, const QString& column, const QString& what) {
    throw Error(
        QStringLiteral("%1: line %2, column %3: %4").arg(t.fileName).arg(line).arg(column, what));
}

int requireColumn(const CsvTable& t, const QString& name) {
    const int c = t.column(name);
    if (c < 0)
        throw Error(QStringLiteral("%1: line 1: the column %2 is missing").arg(t.fileName, name));
    return c;
}

QString cell(const CsvTable::Row& row, int column) {
    return column < row.cells.size() ? row.cells[column].trimmed() : QString();
}

qint32 requireId(const CsvTable& t, const CsvTable::Row& row, int column, const QString& name) {
    const QString text = cell(row, column);
    if (text.isEmpty())
        refuse(t, row.line, name, QStringLiteral("the id is missing"));
    bool ok = false;
    const qint32 id = text.toInt(&ok);
    if (!ok)
        refuse(t, row.line, name, QStringLiteral("%1 is not an integer").arg(quoted(text)));
    return id;
}

QString requireText(const CsvTable& t, const CsvTable::Row& row, int column, const QString& name,
                    bool mayBeEmpty) {
    const QString text = cell(row, column);
    if (text.isEmpty() && !mayBeEmpty)
        refuse(t, row.line, name, QStringLiteral("the name is empty"));
    static const QByteArray codePage = packetLocale(kCatalogueLocaleId).codePage.toLatin1();
    QStringEncoder encoder(codePage.constData(), QStringEncoder::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError() || QStringDecoder(codePage.constData()).decode(bytes) != text)
        refuse(t, row.line, name,
               QStringLiteral("%1 holds a character that %2 cannot hold")
                   .arg(quoted(text), QString::fromLatin1(codePage)));
    // A catalogue reader ends a text at a NUL, and a text field holds at most 65,535 bytes.
    if (text.contains(QChar(0)))
        refuse(t, row.line, name,
               QStringLiteral("%1 holds a NUL character, which a catalogue text cannot hold")
                   .arg(quoted(text)));
    if (bytes.size() > kMaxTextBytes)
        refuse(
            t, row.line, name,
            QStringLiteral("the text is %1 bytes long, more than the %2 a catalogue text can hold")
                .arg(bytes.size())
                .arg(kMaxTextBytes));
    return text;
}

// The columns of the fields, in the fields' order.
std::vector<int> requireColumns(const CsvTable& t, const std::vector<SchemaField>& fields) {
    std::vector<int> columns;
    for (const SchemaField& f : fields) columns.push_back(requireColumn(t, f.name));
    return columns;
}

// The packet's fields: a text field as wide as declared, or as its longest text.
std::vector<FieldDef> fieldDefs(const CsvTable& t, const std::vector<SchemaField>& fields,
                                const std::vector<int>& columns,
                                const std::vector<Record>& records) {
    std::vector<FieldDef> defs;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        int width = 0;
        if (fields[i].type == FieldType::String) {
            int longest = 0;
            for (const Record& r : records)
                longest = std::max<int>(longest, int(r[i].textValue().size()));
            width = textWidth(t.declaredWidth(columns[i]), longest);
        }
        defs.push_back(FieldDef{fields[i].name, fields[i].type, width, {}, 0});
    }
    return defs;
}

}  // namespace

int textWidth(int declared, int longest) {
    return std::max(declared > 0 ? declared : kDeclaredTextWidth, longest);
}

Packet methodsPacket(const CsvTable& t) {
    const std::vector<SchemaField> fields = methodFields();
    const std::vector<int> columns = requireColumns(t, fields);
    const int idCol = columns[0], nameCol = columns[1], fileCol = columns[2];

    Packet p;
    p.lcid = kCatalogueLocaleId;
    std::unordered_set<qint32> ids;
    for (const CsvTable::Row& row : t.rows) {
        const qint32 id = requireId(t, row, idCol, kMethodIdField);
        if (ids.count(id))
            refuse(t, row.line, kMethodIdField, QStringLiteral("the id %1 occurs twice").arg(id));
        ids.insert(id);
        Record r;
        r.push_back(Value::integer(id));
        r.push_back(Value::text(requireText(t, row, nameCol, kMethodNameField, false)));
        r.push_back(Value::text(requireText(t, row, fileCol, kMethodFileField, true)));
        for (int k = 1; k <= kFunctionCount; ++k) {
            const QString flag = cell(row, columns[std::size_t(2 + k)]);
            if (!flag.isEmpty() && flag != QLatin1String("0") && flag != QLatin1String("1"))
                refuse(t, row.line, methodFlagField(k),
                       QStringLiteral("the flag %1 is not 0, 1 or empty").arg(quoted(flag)));
            r.push_back(Value::integer(flag == QLatin1String("1") ? 1 : 0));
        }
        p.records.push_back(std::move(r));
    }
    p.fields = fieldDefs(t, fields, columns, p.records);
    return p;
}

Packet functionsPacket(const CsvTable& t) {
    const std::vector<SchemaField> fields = functionFields();
    const std::vector<int> columns = requireColumns(t, fields);
    const int idCol = columns[0], nameCol = columns[1];
    Packet p;
    p.lcid = kCatalogueLocaleId;
    std::unordered_set<qint32> ids;
    for (const CsvTable::Row& row : t.rows) {
        const qint32 id = requireId(t, row, idCol, kFunctionIdField);
        if (id < 1 || id > kFunctionCount)
            refuse(t, row.line, kFunctionIdField,
                   QStringLiteral("the function number %1 is outside 1-%2")
                       .arg(id)
                       .arg(kFunctionCount));
        if (ids.count(id))
            refuse(t, row.line, kFunctionIdField, QStringLiteral("the id %1 occurs twice").arg(id));
        ids.insert(id);
        p.records.push_back({Value::integer(id),
                             Value::text(requireText(t, row, nameCol, kFunctionNameField, false))});
    }
    p.fields = fieldDefs(t, fields, columns, p.records);
    return p;
}

void packCatalogue(const QString& methodsCsv, const QString& functionsCsv, const QString& outDir,
                   std::size_t packetLimit) {
    const QDir dir(outDir);
    // A packet the program would refuse to load is not written.
    const auto compressLoadable = [&](const QByteArray& packet, const QString& file) {
        if (std::size_t(packet.size()) > packetLimit)
            throw Error(QStringLiteral("%1: the catalogue makes a packet of %2 bytes, above the "
                                       "%3 bytes the program loads; nothing was written")
                            .arg(dir.filePath(file))
                            .arg(packet.size())
                            .arg(packetLimit));
        return compressCatalogueFile(packet);
    };
    const QByteArray methods =
        compressLoadable(encodeBinaryPacket(methodsPacket(readCsvFile(methodsCsv))), kMethodsFile);
    const QByteArray functions = compressLoadable(
        encodeBinaryPacket(functionsPacket(readCsvFile(functionsCsv))), kFunctionsFile);

    if (!dir.mkpath(QStringLiteral("data")))
        throw Error(QStringLiteral("%1: the folder cannot be created")
                        .arg(dir.filePath(QStringLiteral("data"))));
    writeAllOrNothing(
        {{dir.filePath(kMethodsFile), methods}, {dir.filePath(kFunctionsFile), functions}});
}

}  // namespace kavinto

#include "pack.h"

#include "allornothing.h"
#include "binarypacketwriter.h"
#include "compressedfile.h"
#include "error.h"
#include "quoted.h"
#include "schema.h"
#include "textcodec.h"

#include <QDir>

#include <functional>
#include <unordered_set>

namespace kavinto {
namespace {

constexpr qsizetype kMaxTextBytes = 0xFFFF;

[[noreturn]] void refuse(const CsvReader& t, int line, const QString& column, const QString& what) {
    throw Error(
        QStringLiteral("%1: line %2, column %3: %4").arg(t.fileName()).arg(line).arg(column, what));
}

int requireColumn(const CsvReader& t, const QString& name) {
    const int c = t.column(name);
    if (c < 0)
        throw Error(QStringLiteral("%1: line 1: the column %2 is missing").arg(t.fileName(), name));
    return c;
}

QStringView cell(const CsvTable::Row& row, int column) {
    return column < row.cells.size() ? QStringView(row.cells[column]).trimmed() : QStringView();
}

qint32 requireId(const CsvReader& t, const CsvTable::Row& row, int column, const QString& name) {
    const QStringView text = cell(row, column);
    if (text.isEmpty())
        refuse(t, row.line, name, QStringLiteral("the id is missing"));
    bool ok = false;
    const qint32 id = text.toInt(&ok);
    if (!ok)
        refuse(t, row.line, name, QStringLiteral("%1 is not an integer").arg(quoted(text)));
    return id;
}

QStringView requireText(const CsvReader& t, const CsvTable::Row& row, int column,
                        const QString& name, bool mayBeEmpty) {
    const QStringView text = cell(row, column);
    if (text.isEmpty() && !mayBeEmpty)
        refuse(t, row.line, name, QStringLiteral("the name is empty"));
    // The packet writer's own encoder: what it accepts here, the writer writes.
    static const TextEncoder encoder(packetLocale(kCatalogueLocaleId).codePage);
    const std::optional<QByteArray> encoded = encoder.encode(text);
    if (!encoded)
        refuse(t, row.line, name,
               QStringLiteral("%1 holds a character that %2 cannot hold")
                   .arg(quoted(text), encoder.codePage()));
    const QByteArray& bytes = *encoded;
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
std::vector<int> requireColumns(const CsvReader& t, const std::vector<SchemaField>& fields) {
    std::vector<int> columns;
    for (const SchemaField& f : fields) columns.push_back(requireColumn(t, f.name));
    return columns;
}

// A row's value of one field: an integer, or a text viewed in the row.
struct FieldValue {
    qint64 integer = 0;
    QStringView text;
};
// Sets a row's values, in the fields' order, checked when `check` (a row
// read again is not).
using ReadRow =
    std::function<void(const CsvTable::Row& row, bool check, std::vector<FieldValue>& values)>;

// The packet of the CSV file's rows: every row is read and checked first,
// its texts measured, then read again and written. Neither the rows nor a
// table of them is held, only the file and the packet.
QByteArray packetOf(CsvReader& csv, const std::vector<SchemaField>& schema,
                    const std::vector<int>& columns, const ReadRow& read) {
    std::vector<FieldDef> fields;
    for (std::size_t i = 0; i < schema.size(); ++i)
        // The writer widens a text field to its longest text.
        fields.push_back(FieldDef{
            schema[i].name,
            schema[i].type,
            schema[i].type == FieldType::String ? textWidth(csv.declaredWidth(columns[i]), 0) : 0,
            {},
            0});
    BinaryPacketWriter writer(fields, kCatalogueLocaleId);
    // The writer's errors, which the checks have ruled out, name the file.
    const QString& where = csv.fileName();
    std::vector<FieldValue> values(schema.size());
    std::size_t count = 0;
    CsvTable::Row row;
    while (csv.next(row)) {
        read(row, true, values);
        for (std::size_t i = 0; i < values.size(); ++i)
            if (schema[i].type == FieldType::String)
                writer.measure(int(i), writer.storedText(int(i), values[i].text, where).size());
        ++count;
    }
    csv.rewind();
    writer.start(count);
    while (csv.next(row)) {
        read(row, false, values);
        writer.beginRecord();
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (schema[i].type == FieldType::String)
                writer.varying(int(i), writer.storedText(int(i), values[i].text, where));
            else
                writer.integer(int(i), values[i].integer);
        }
    }
    return writer.finish();
}

}  // namespace

int textWidth(int declared, int longest) {
    return std::max(declared > 0 ? declared : kDeclaredTextWidth, longest);
}

QByteArray methodsPacket(CsvReader& csv) {
    const std::vector<SchemaField> fields = methodFields();
    const std::vector<int> columns = requireColumns(csv, fields);
    std::unordered_set<qint32> ids;
    const auto read = [&](const CsvTable::Row& row, bool check, std::vector<FieldValue>& values) {
        if (check) {
            const qint32 id = requireId(csv, row, columns[0], kMethodIdField);
            if (!ids.insert(id).second)
                refuse(csv, row.line, kMethodIdField,
                       QStringLiteral("the id %1 occurs twice").arg(id));
            values[0].integer = id;
            values[1].text = requireText(csv, row, columns[1], kMethodNameField, false);
            values[2].text = requireText(csv, row, columns[2], kMethodFileField, true);
        } else {
            values[0].integer = cell(row, columns[0]).toInt();
            values[1].text = cell(row, columns[1]);
            values[2].text = cell(row, columns[2]);
        }
        // A flag is its one character: the checks admit nothing else.
        for (int k = 1; k <= kFunctionCount; ++k) {
            const QStringView flag = cell(row, columns[std::size_t(2 + k)]);
            const bool one = flag.size() == 1 && flag[0] == u'1';
            if (check && !flag.isEmpty() && !one && !(flag.size() == 1 && flag[0] == u'0'))
                refuse(csv, row.line, methodFlagField(k),
                       QStringLiteral("the flag %1 is not 0, 1 or empty").arg(quoted(flag)));
            values[std::size_t(2 + k)].integer = one ? 1 : 0;
        }
    };
    return packetOf(csv, fields, columns, read);
}

QByteArray functionsPacket(CsvReader& csv) {
    const std::vector<SchemaField> fields = functionFields();
    const std::vector<int> columns = requireColumns(csv, fields);
    std::unordered_set<qint32> ids;
    const auto read = [&](const CsvTable::Row& row, bool check, std::vector<FieldValue>& values) {
        if (!check) {
            values[0].integer = cell(row, columns[0]).toInt();
            values[1].text = cell(row, columns[1]);
            return;
        }
        const qint32 id = requireId(csv, row, columns[0], kFunctionIdField);
        if (id < 1 || id > kFunctionCount)
            refuse(csv, row.line, kFunctionIdField,
                   QStringLiteral("the function number %1 is outside 1-%2")
                       .arg(id)
                       .arg(kFunctionCount));
        if (!ids.insert(id).second)
            refuse(csv, row.line, kFunctionIdField,
                   QStringLiteral("the id %1 occurs twice").arg(id));
        values[0].integer = id;
        values[1].text = requireText(csv, row, columns[1], kFunctionNameField, false);
    };
    return packetOf(csv, fields, columns, read);
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
    // One file at a time: its text and its packet go before the next is read.
    const auto pack = [&](const QString& csvPath, QByteArray (*packetOf)(CsvReader&),
                          const QString& file) {
        CsvReader csv = CsvReader::open(csvPath);
        return compressLoadable(packetOf(csv), file);
    };
    const QByteArray methods = pack(methodsCsv, methodsPacket, kMethodsFile);
    const QByteArray functions = pack(functionsCsv, functionsPacket, kFunctionsFile);

    if (!dir.mkpath(QStringLiteral("data")))
        throw Error(QStringLiteral("%1: the folder cannot be created")
                        .arg(dir.filePath(QStringLiteral("data"))));
    writeAllOrNothing(
        {{dir.filePath(kMethodsFile), methods}, {dir.filePath(kFunctionsFile), functions}});
}

}  // namespace kavinto

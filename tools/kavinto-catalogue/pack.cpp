#include "pack.h"

#include "allornothing.h"
#include "choicelists.h"
#include "error.h"
#include "packetwriter.h"
#include "quoted.h"

#include <QDir>
#include <QStringEncoder>

#include <unordered_set>

namespace kavinto {
namespace {

constexpr int kFunctionCount = 17;
constexpr qsizetype kMaxTextBytes = 0xFFFF;

QString flagColumn(int k) {
    return QStringLiteral("mod_fun_%1").arg(k);
}

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
    QStringEncoder encoder("windows-1250", QStringEncoder::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError() || QStringDecoder("windows-1250").decode(bytes) != text)
        refuse(
            t, row.line, name,
            QStringLiteral("%1 holds a character that windows-1250 cannot hold").arg(quoted(text)));
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

FieldDef textField(const QString& name, int declared, const std::vector<Record>& records,
                   std::size_t index) {
    int longest = 0;
    for (const Record& r : records)
        longest = std::max<int>(longest, int(r[index].textValue().size()));
    return FieldDef{name, FieldType::String, textWidth(declared, longest), {}, 0};
}

}  // namespace

int textWidth(int declared, int longest) {
    return std::max(declared > 0 ? declared : 100, longest);
}

Packet methodsPacket(const CsvTable& t) {
    const int idCol = requireColumn(t, QStringLiteral("mod_id"));
    const int nameCol = requireColumn(t, QStringLiteral("mod_nev"));
    const int fileCol = requireColumn(t, QStringLiteral("mod_fajl"));
    std::vector<int> flagCols;
    for (int k = 1; k <= kFunctionCount; ++k) flagCols.push_back(requireColumn(t, flagColumn(k)));

    Packet p;
    p.lcid = 1038;
    std::unordered_set<qint32> ids;
    for (const CsvTable::Row& row : t.rows) {
        const qint32 id = requireId(t, row, idCol, QStringLiteral("mod_id"));
        if (ids.count(id))
            refuse(t, row.line, QStringLiteral("mod_id"),
                   QStringLiteral("the id %1 occurs twice").arg(id));
        ids.insert(id);
        Record r;
        r.push_back(Value::integer(id));
        r.push_back(Value::text(requireText(t, row, nameCol, QStringLiteral("mod_nev"), false)));
        r.push_back(Value::text(requireText(t, row, fileCol, QStringLiteral("mod_fajl"), true)));
        for (int k = 1; k <= kFunctionCount; ++k) {
            const QString flag = cell(row, flagCols[std::size_t(k - 1)]);
            if (!flag.isEmpty() && flag != QLatin1String("0") && flag != QLatin1String("1"))
                refuse(t, row.line, flagColumn(k),
                       QStringLiteral("the flag %1 is not 0, 1 or empty").arg(quoted(flag)));
            r.push_back(Value::integer(flag == QLatin1String("1") ? 1 : 0));
        }
        p.records.push_back(std::move(r));
    }
    p.fields.push_back(FieldDef{QStringLiteral("mod_id"), FieldType::Int32, 0, {}, 0});
    p.fields.push_back(
        textField(QStringLiteral("mod_nev"), t.declaredWidth(nameCol), p.records, 1));
    p.fields.push_back(
        textField(QStringLiteral("mod_fajl"), t.declaredWidth(fileCol), p.records, 2));
    for (int k = 1; k <= kFunctionCount; ++k)
        p.fields.push_back(FieldDef{flagColumn(k), FieldType::Int32, 0, {}, 0});
    return p;
}

Packet functionsPacket(const CsvTable& t) {
    const int idCol = requireColumn(t, QStringLiteral("fun_id"));
    const int nameCol = requireColumn(t, QStringLiteral("fun_nev"));
    Packet p;
    p.lcid = 1038;
    std::unordered_set<qint32> ids;
    for (const CsvTable::Row& row : t.rows) {
        const qint32 id = requireId(t, row, idCol, QStringLiteral("fun_id"));
        if (id < 1 || id > kFunctionCount)
            refuse(t, row.line, QStringLiteral("fun_id"),
                   QStringLiteral("the function number %1 is outside 1-17").arg(id));
        if (ids.count(id))
            refuse(t, row.line, QStringLiteral("fun_id"),
                   QStringLiteral("the id %1 occurs twice").arg(id));
        ids.insert(id);
        p.records.push_back(
            {Value::integer(id),
             Value::text(requireText(t, row, nameCol, QStringLiteral("fun_nev"), false))});
    }
    p.fields.push_back(FieldDef{QStringLiteral("fun_id"), FieldType::Int32, 0, {}, 0});
    p.fields.push_back(
        textField(QStringLiteral("fun_nev"), t.declaredWidth(nameCol), p.records, 1));
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

#include "pack.h"

#include "allornothing.h"
#include "binarypacketwriter.h"
#include "collation.h"
#include "compressedfile.h"
#include "error.h"
#include "packetlocale.h"
#include "podbuffer.h"
#include "rules.h"
#include "schema.h"

#include <QDir>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <unordered_set>

namespace kavinto {

QString PackFaults::columnName(int column) {
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26) letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

void PackFaults::add(const CsvReader& csv, int row, int column, const QString& what) {
    ++m_count;
    if (m_lines.size() >= kShown)
        return;
    QString where = QStringLiteral("%1: row %2").arg(csv.fileName()).arg(row);
    if (column >= 0)
        where += QStringLiteral(", column %1 (%2)")
                     .arg(columnName(column), csv.header().value(column).trimmed());
    m_lines << where + QStringLiteral(": ") + what;
}

void PackFaults::throwIfAny() const {
    if (m_count == 0)
        return;
    QStringList lines = m_lines;
    if (m_count > m_lines.size())
        lines << QStringLiteral("and %1 more").arg(m_count - m_lines.size());
    throw Error(lines.join(QLatin1Char('\n')));
}

namespace {

QStringView cell(const CsvTable::Row& row, int column) {
    return column < row.cells.size() ? QStringView(row.cells[column]).trimmed() : QStringView();
}

// The columns of the fields, in the fields' order; -1 for a missing one.
std::vector<int> requireColumns(const CsvReader& t, const std::vector<SchemaField>& fields,
                                PackFaults& faults) {
    std::vector<int> columns;
    for (const SchemaField& f : fields) {
        columns.push_back(t.column(f.name));
        if (columns.back() < 0)
            faults.add(t, 1, -1, QStringLiteral("the column %1 is missing").arg(f.name));
    }
    return columns;
}

// The header's columns that are none of the fields, for a note; empty ones
// (a spreadsheet's unused columns) are not named.
QStringList ignoredColumns(const CsvReader& t, const std::vector<int>& columns) {
    QStringList ignored;
    for (int c = 0; c < t.header().size(); ++c)
        if (std::find(columns.begin(), columns.end(), c) == columns.end() &&
            !t.header()[c].trimmed().isEmpty())
            ignored << t.header()[c].trimmed();
    return ignored;
}

// A row's value of one field: an integer, or a text viewed in the row.
struct FieldValue {
    qint64 integer = 0;
    QStringView text;
};
// Sets a row's values, in the fields' order, and adds the row's faults when
// `check` (a row read again is not checked).
using ReadRow =
    std::function<void(const CsvTable::Row& row, bool check, std::vector<FieldValue>& values)>;

// The rows' places in the file, to be written in the collation order of one
// field's texts (the order the program's lists show), equal texts in the
// file's order. Each text's sort key is kept until the order is made; then
// only the rows' places remain, a permutation of where they start.
class RowOrder {
public:
    explicit RowOrder(bool sorting) {
        if (sorting)
            m_collation.emplace(packetLocale(kCatalogueLocaleId).locale);
    }

    void add(qsizetype start, QStringView text) {
        if (!m_collation)
            return;
        m_rows.push_back({start, m_keys.size()});
        m_collation->appendKey(text, m_keys);
    }
    // The rows' starts in order; empty where the file's order stands.
    std::vector<qsizetype> sorted() {
        std::stable_sort(m_rows.begin(), m_rows.end(), [&](const Row& a, const Row& b) {
            return std::strcmp(m_keys.data() + a.key, m_keys.data() + b.key) < 0;
        });
        PodBuffer<char>().swap(m_keys);
        std::vector<qsizetype> starts(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i) starts[i] = m_rows[i].start;
        std::vector<Row>().swap(m_rows);
        return starts;
    }

private:
    struct Row {
        qsizetype start;
        std::size_t key;
    };
    std::optional<Collation> m_collation;
    PodBuffer<char> m_keys;
    std::vector<Row> m_rows;
};

// The packet of the CSV file's rows: every row is read and checked first,
// its texts measured, then, where no file had a fault, read again and
// written. Neither the rows nor a table of them is held, only the file and
// the packet.
PackedTable packetOf(CsvReader& csv, const std::vector<SchemaField>& schema,
                     const std::vector<int>& columns, const ReadRow& read, PackFaults& faults,
                     int sortField = -1) {
    PackedTable packed{{}, 0, ignoredColumns(csv, columns)};
    if (std::find(columns.begin(), columns.end(), -1) != columns.end())
        return packed;
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
    const int faultsBefore = faults.count();
    RowOrder order(sortField >= 0);
    CsvTable::Row row;
    for (qsizetype start = csv.position(); csv.next(row); start = csv.position()) {
        read(row, true, values);
        if (faults.count() == faultsBefore) {
            for (std::size_t i = 0; i < values.size(); ++i)
                if (schema[i].type == FieldType::String)
                    writer.measure(int(i), writer.storedText(int(i), values[i].text, where).size());
            order.add(start, sortField >= 0 ? values[std::size_t(sortField)].text : QStringView());
        }
        ++packed.rows;
    }
    if (faults.count() > 0)
        return packed;
    const std::vector<qsizetype> starts = order.sorted();
    csv.rewind();
    writer.start(packed.rows);
    for (std::size_t r = 0; r < packed.rows; ++r) {
        if (!starts.empty())
            csv.seek(starts[r]);
        csv.next(row);
        read(row, false, values);
        writer.beginRecord();
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (schema[i].type == FieldType::String)
                writer.varying(int(i), writer.storedText(int(i), values[i].text, where));
            else
                writer.integer(int(i), values[i].integer);
        }
    }
    packed.packet = writer.finish();
    return packed;
}

// Checks a text cell by the catalogue's rules; the text as written.
QStringView textCell(const CsvReader& csv, const CsvTable::Row& row, int column,
                     rules::TextKind kind, PackFaults& faults) {
    const QStringView text = cell(row, column);
    const QString fault = rules::textFault(text, kind);
    if (!fault.isEmpty())
        faults.add(csv, row.row, column, fault);
    return text;
}

// Checks an id cell and that it is new; the id, or 0.
qint32 idCell(const CsvReader& csv, const CsvTable::Row& row, int column,
              std::unordered_set<qint32>& ids, PackFaults& faults) {
    qint32 id = 0;
    QString fault = rules::idTextFault(cell(row, column), id);
    if (fault.isEmpty() && !ids.insert(id).second)
        fault = rules::duplicateIdFault(id);
    if (!fault.isEmpty())
        faults.add(csv, row.row, column, fault);
    return id;
}

}  // namespace

int textWidth(int declared, int longest) {
    return std::max(declared > 0 ? declared : kDeclaredTextWidth, longest);
}

PackedTable methodsPacket(CsvReader& csv, const std::set<int>& functionIds, PackFaults& faults,
                          MethodOrder order) {
    const std::vector<SchemaField> fields = methodFields();
    const std::vector<int> columns = requireColumns(csv, fields, faults);
    std::unordered_set<qint32> ids;
    rules::NameRegister names;
    const auto read = [&](const CsvTable::Row& row, bool check, std::vector<FieldValue>& values) {
        if (check) {
            values[0].integer = idCell(csv, row, columns[0], ids, faults);
            values[1].text = textCell(csv, row, columns[1], rules::TextKind::Name, faults);
            const QString same =
                names.add(values[1].text.toString(), QStringLiteral("row %1").arg(row.row));
            if (!same.isEmpty())
                faults.add(csv, row.row, columns[1], same);
            values[2].text = textCell(csv, row, columns[2], rules::TextKind::Document, faults);
        } else {
            values[0].integer = cell(row, columns[0]).toInt();
            values[1].text = cell(row, columns[1]);
            values[2].text = cell(row, columns[2]);
        }
        // A flag is its one character: the checks admit nothing else.
        for (int k = 1; k <= kFunctionCount; ++k) {
            const int column = columns[std::size_t(2 + k)];
            const QStringView flag = cell(row, column);
            const bool one = flag == u"1";
            if (check) {
                QString fault = rules::flagTextFault(flag);
                if (fault.isEmpty() && one && !functionIds.count(k))
                    fault = rules::missingFunctionFault(k);
                if (!fault.isEmpty())
                    faults.add(csv, row.row, column, fault);
            }
            values[std::size_t(2 + k)].integer = one ? 1 : 0;
        }
    };
    return packetOf(csv, fields, columns, read, faults, order == MethodOrder::ByName ? 1 : -1);
}

PackedTable functionsPacket(CsvReader& csv, std::set<int>& functionIds, PackFaults& faults) {
    const std::vector<SchemaField> fields = functionFields();
    const std::vector<int> columns = requireColumns(csv, fields, faults);
    std::unordered_set<qint32> ids;
    rules::NameRegister names;
    const auto read = [&](const CsvTable::Row& row, bool check, std::vector<FieldValue>& values) {
        if (!check) {
            values[0].integer = cell(row, columns[0]).toInt();
            values[1].text = cell(row, columns[1]);
            return;
        }
        const int before = faults.count();
        const qint32 id = idCell(csv, row, columns[0], ids, faults);
        if (faults.count() == before) {
            const QString fault = rules::functionNumberFault(id);
            if (!fault.isEmpty())
                faults.add(csv, row.row, columns[0], fault);
            functionIds.insert(id);
        }
        values[0].integer = id;
        values[1].text = textCell(csv, row, columns[1], rules::TextKind::Name, faults);
        const QString same =
            names.add(values[1].text.toString(), QStringLiteral("row %1").arg(row.row));
        if (!same.isEmpty())
            faults.add(csv, row.row, columns[1], same);
    };
    return packetOf(csv, fields, columns, read, faults);
}

QStringList packCatalogue(const QString& methodsCsv, const QString& functionsCsv,
                          const QString& outDir, MethodOrder order, std::size_t packetLimit) {
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
    QStringList report;
    const auto describe = [&](const CsvReader& csv, const PackedTable& t, const char* what) {
        report << QStringLiteral("%1: %2, '%3', %4 %5")
                      .arg(csv.fileName(), csv.encoding(),
                           csv.separator() == '\t' ? QStringLiteral("\\t")
                                                   : QString(QLatin1Char(csv.separator())))
                      .arg(t.rows)
                      .arg(QLatin1String(what));
        if (!t.ignoredColumns.isEmpty())
            report << QStringLiteral("%1: ignored columns: %2")
                          .arg(csv.fileName(), t.ignoredColumns.join(QStringLiteral(", ")));
    };
    // The functions first, which the methods' flags refer to; one file at a
    // time, its text and its packet gone before the next is read. Every
    // fault of both files is found before anything is written.
    PackFaults faults;
    std::set<int> functionIds;
    QByteArray functions, methods;
    {
        CsvReader csv = CsvReader::open(functionsCsv);
        const PackedTable t = functionsPacket(csv, functionIds, faults);
        describe(csv, t, "functions");
        if (faults.count() == 0)
            functions = compressLoadable(t.packet, kFunctionsFile);
    }
    {
        CsvReader csv = CsvReader::open(methodsCsv);
        const PackedTable t = methodsPacket(csv, functionIds, faults, order);
        describe(csv, t, "methods");
        report << (order == MethodOrder::ByName
                       ? QStringLiteral("%1: the methods written in Hungarian alphabetical order "
                                        "of mod_nev (--keep-order keeps the file's)")
                       : QStringLiteral("%1: the methods written in the file's order"))
                      .arg(csv.fileName());
        if (faults.count() == 0)
            methods = compressLoadable(t.packet, kMethodsFile);
    }
    faults.throwIfAny();

    createFolder(dir.filePath(QStringLiteral("data")));
    writeAllOrNothing(
        {{dir.filePath(kMethodsFile), methods}, {dir.filePath(kFunctionsFile), functions}});
    return report;
}

}  // namespace kavinto

#include "resultrows.h"

#include "comparison.h"
#include "error.h"
#include "methodlookup.h"

#include <algorithm>
#include <utility>

namespace kavinto {
namespace {

const Value kServes = Value::text(QStringLiteral("1"));

// Where writing the rows one by one first fails: the row, the step within it
// (0 id, 1 name, 2 document, 2 + k flag k), and the error.
struct Failure {
    int row = 0;
    int step = 0;
    std::optional<Error> error;
    bool before(int r, int s) const { return !error || std::pair(r, s) < std::pair(row, step); }
};

}  // namespace

ResultRows::ResultRows(std::shared_ptr<const LoadedTable> table,
                       std::shared_ptr<const HitRecords> records, std::size_t offset, int count,
                       int firstRow, Fields fields, FunctionNames names)
    : m_table(std::move(table)),
      m_records(std::move(records)),
      m_offset(offset),
      m_count(count),
      m_firstRow(firstRow),
      m_fields(fields),
      m_names(std::move(names)) {}

ResultRow ResultRows::row(int r) const {
    const Table& t = m_table->table();
    const std::size_t record = (*m_records)[m_offset + std::size_t(r - m_firstRow)];
    ResultRow cells;
    cells[0] = t.value(record, m_fields.id).toText();
    cells[1] = QString::number(r) + QLatin1Char('.');
    cells[2] = t.value(record, m_fields.name).toText();
    cells[4] = t.value(record, m_fields.document).toText();
    for (int k = 1; k <= kFunctionCount; ++k) {
        const std::optional<QString>& name = m_names[std::size_t(k - 1)];
        if (name && EqualsTest(t.column(m_fields.flags[std::size_t(k - 1)]), kServes)(record))
            cells[3] += *name + QStringLiteral("; ");
    }
    return cells;
}

std::shared_ptr<const ResultRows> ResultRows::slice(int first, int last) const {
    return std::make_shared<ResultRows>(m_table, m_records,
                                        m_offset + std::size_t(first - m_firstRow),
                                        last - first + 1, first, m_fields, m_names);
}

FilledRows fillResultRows(TClientDataSet& methods, TClientDataSet& functions,
                          const WorkingRecords& records, int hitCount) {
    methods.setIndexFieldNames(kMethodIdField);
    if (hitCount < 1)
        return {};
    const Table& table = records.hits.table->table();
    const HitRecords& hits = *records.hits.records;
    Failure failure;

    // Row 1 reads every field first: the first one missing fails there.
    ResultRows::Fields fields;
    const QString fieldNames[3] = {kMethodIdField, kMethodNameField, kMethodFileField};
    int* const textFields[3] = {&fields.id, &fields.name, &fields.document};
    for (int step = 0; step < 3 + kFunctionCount && !failure.error; ++step) {
        const QString name = step < 3 ? fieldNames[step] : methodFlagField(step - 2);
        const int field = table.fieldIndex(name);
        if (field < 0)
            failure = {1, step, Error::fieldNotFound(methods.name(), name)};
        else
            *(step < 3 ? textFields[step] : &fields.flags[std::size_t(step - 3)]) = field;
    }
    // Then each row reads its id, name and document as text: the first null fails.
    for (int step = 0; step < 3 && *textFields[step] >= 0; ++step) {
        const Column& column = table.column(*textFields[step]);
        if (!column.hasNulls())
            continue;
        hits.forEachWhile([&](std::size_t i, quint32 record) {
            const int r = int(i) + 1;
            if (r > hitCount || !failure.before(r, step))
                return false;
            const bool null = column.isNull(record);
            if (null)
                failure = {r, step, Error::nullAsText()};
            return !null;
        });
    }
    // A function's name is looked up at the first row that serves it.
    std::vector<std::pair<int, int>> firstUse;  // (row, k)
    for (int k = 1; k <= kFunctionCount; ++k) {
        if (fields.flags[std::size_t(k - 1)] < 0)
            continue;
        const EqualsTest serves(table.column(fields.flags[std::size_t(k - 1)]), kServes);
        hits.forEachWhile([&](std::size_t i, quint32 record) {
            const int r = int(i) + 1;
            if (r > hitCount || !failure.before(r, 2 + k))
                return false;
            const bool used = serves(record);
            if (used)
                firstUse.emplace_back(r, k);
            return !used;
        });
    }
    std::sort(firstUse.begin(), firstUse.end());
    ResultRows::FunctionNames names;
    for (const auto& [row, k] : firstUse) {
        if (!failure.before(row, 2 + k))
            break;
        try {
            names[std::size_t(k - 1)] = functionName(functions, k);
        } catch (const Error& e) {
            failure = {row, 2 + k, e};
        }
    }

    const int written = failure.error ? failure.row - 1 : hitCount;
    FilledRows out;
    if (written > 0)
        out.rows = std::make_shared<ResultRows>(records.hits.table, records.hits.records, 0,
                                                written, 1, fields, names);
    out.failure = failure.error;
    return out;
}

}  // namespace kavinto

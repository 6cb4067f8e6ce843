#pragma once

#include "clientdataset.h"
#include "error.h"
#include "records.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>

namespace kavinto {

// One data row of the result grid: 0 method id (hidden), 1 running number
// "1.", 2 method name, 3 function names each followed by "; ", 4 document
// file name (hidden).
using ResultRow = std::array<QString, 5>;

// Rows of the result grid for the hits of a function search, made from the
// methods table when asked for: nothing is stored per row but the hit's
// record, and the hits' records are shared, not copied. Keeps the table
// alive. Every row it holds can be made without failing.
class ResultRows {
public:
    struct Fields {
        int id = -1;
        int name = -1;
        int document = -1;
        std::array<int, kFunctionCount> flags = filled(-1);
        static std::array<int, kFunctionCount> filled(int v) {
            std::array<int, kFunctionCount> a;
            a.fill(v);
            return a;
        }
    };
    using FunctionNames = std::array<std::optional<QString>, kFunctionCount>;

    // Rows firstRow.. for the `count` records from `records[offset]` on.
    ResultRows(std::shared_ptr<const LoadedTable> table, std::shared_ptr<const HitRecords> records,
               std::size_t offset, int count, int firstRow, Fields fields, FunctionNames names);

    int firstRow() const { return m_firstRow; }
    int lastRow() const { return m_firstRow + m_count - 1; }
    // Row r, firstRow() <= r <= lastRow().
    ResultRow row(int r) const;
    // The rows first..last of these.
    std::shared_ptr<const ResultRows> slice(int first, int last) const;

private:
    std::shared_ptr<const LoadedTable> m_table;
    std::shared_ptr<const HitRecords> m_records;
    std::size_t m_offset;
    int m_count;
    int m_firstRow;
    Fields m_fields;
    FunctionNames m_names;
};

// Rows 1 to hitCount of the result grid for the hits of the last function
// search, in hit order: the method's id, number, name, document and every
// function it serves, in the order of their numbers; a flagged number the
// functions table lacks adds nothing. Orders the methods table by mod_id.
// Where writing the rows one by one would fail (a missing field, a null
// value, a function name that cannot be read), `rows` holds the rows before
// the failing one and `failure` the error; function names are looked up
// once per search, when the first row needing one comes.
struct FilledRows {
    std::shared_ptr<const ResultRows> rows;  // null when there are none
    std::optional<Error> failure;
};
FilledRows fillResultRows(TClientDataSet& methods, TClientDataSet& functions,
                          const WorkingRecords& records, int hitCount);

}  // namespace kavinto

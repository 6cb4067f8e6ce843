// Any bytes as stored records (statuses, cells marked "not changed") and a
// change log. The current records must be stored records, each at most once.
#include "changelog.h"
#include "error.h"

#include <cstdint>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::size_t records = std::min<std::size_t>(data[0], 64), fields = 1 + data[1] % 3;
    std::size_t at = 2;
    kavinto::StoredRecords stored;
    std::vector<kavinto::Column> columns;
    for (std::size_t f = 0; f < fields; ++f)
        columns.emplace_back(
            kavinto::FieldDef{QStringLiteral("f%1").arg(f), kavinto::FieldType::Int32, 0, {}, 0});
    for (std::size_t r = 0; r < records && at < size; ++r, ++at) {
        stored.status.push_back(data[at] & 0x0F);
        for (std::size_t f = 0; f < fields; ++f) {
            if (data[at] & (0x10 << f)) {
                stored.unchanged.emplace_back(quint32(r), quint16(f));
            } else {
                columns[f].beginValue(r);
                columns[f].pushInt32(qint32(r));
            }
        }
    }
    const std::size_t count = stored.status.size();
    std::vector<quint32> log;
    for (; at < size; ++at) log.push_back(data[at] % 8 == 7 ? data[at] : data[at] % (count + 2));
    for (kavinto::Column& c : columns) c.finish(count);
    try {
        const kavinto::Table current =
            kavinto::currentRecords(kavinto::Table(std::move(columns), count), stored, log);
        std::set<qint64> seen;
        for (std::size_t r = 0; r < current.recordCount(); ++r) {
            const kavinto::Value v = current.value(r, 0);
            if (!v.isNull() && (v.integerValue() < 0 || std::size_t(v.integerValue()) >= count))
                __builtin_trap();
        }
        if (current.recordCount() > count)
            __builtin_trap();
    } catch (const kavinto::Error&) {
    }
    return 0;
}

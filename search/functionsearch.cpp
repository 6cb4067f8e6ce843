#include "functionsearch.h"

#include "choicelists.h"
#include "methodlookup.h"

namespace kavinto {
namespace {

bool serves(const TClientDataSet& methods, int k) {
    return methods.ReadValue(flagField(k)).equals(Value::text(QStringLiteral("1")));
}

// The function number that a function number text stands for, when it is
// one of "1" to "17"; 0 otherwise, which no flag serves.
int functionNumber(const QString& id) {
    for (int k = 1; k <= kFunctionCount; ++k)
        if (id == QString::number(k))
            return k;
    return 0;
}

QString functionId(TClientDataSet& functions, const QString& chosen) {
    if (chosen == kNothingChosen)
        return kNothingChosen;
    functions.setIndexFieldNames(QStringLiteral("fun_nev"));
    if (!functions.FindValue(QStringLiteral("fun_nev"), Value::text(chosen)))
        return kNothingChosen;
    return functions.ReadValue(QStringLiteral("fun_id")).toText();
}

// Keeps the hits whose method serves the function, in their order. The hits
// stand in mod_nev order, the order in which the table is walked, so
// visiting them directly keeps exactly the methods a walk would keep.
int narrow(TClientDataSet& methods, WorkingRecords& records, int hitCount, const QString& id) {
    const int k = functionNumber(id);
    int kept = 0;
    methods.setIndexFieldNames(QStringLiteral("mod_nev"));
    for (int n = 1; n <= hitCount && k != 0; ++n) {
        methods.GotoBookmark(records.hit(n).record);
        if (!serves(methods, k))
            continue;
        if (++kept != n)
            records.hit(kept) = records.hit(n);
    }
    return kept;
}

}  // namespace

int functionSearch(TClientDataSet& methods, TClientDataSet& functions, WorkingRecords& records) {
    records.func1_id = functionId(functions, records.selection.func1);
    records.func2_id = functionId(functions, records.selection.func2);
    records.func3_id = functionId(functions, records.selection.func3);

    int hitCount = 0;
    if (records.func1_id != kNothingChosen) {
        const int k = functionNumber(records.func1_id);
        methods.setIndexFieldNames(QStringLiteral("mod_nev"));
        for (methods.GoFirst(); !methods.AtEnd(); methods.GoNext()) {
            if (k == 0 || !serves(methods, k))
                continue;
            t_result& entry = records.hit(++hitCount);
            entry.azon = methods.ReadValue(QStringLiteral("mod_id")).toText();
            entry.nev = methods.ReadValue(QStringLiteral("mod_nev")).toText();
            entry.record = methods.Bookmark();
        }
    }
    if (records.func2_id != kNothingChosen)
        hitCount = narrow(methods, records, hitCount, records.func2_id);
    if (records.func3_id != kNothingChosen)
        hitCount = narrow(methods, records, hitCount, records.func3_id);
    return hitCount;
}

void fillResultRows(TClientDataSet& methods, TClientDataSet& functions, const WorkingRecords& records,
                    int hitCount, const RowWriter& write) {
    // Function names looked up once per search rather than once per row.
    std::array<std::optional<QString>, kFunctionCount> names;
    std::array<bool, kFunctionCount> looked{};
    methods.setIndexFieldNames(QStringLiteral("mod_id"));
    for (int r = 1; r <= hitCount; ++r) {
        methods.GotoBookmark(records.hit(r).record);
        ResultRow row;
        row[0] = methods.ReadValue(QStringLiteral("mod_id")).toText();
        row[1] = QString::number(r) + QLatin1Char('.');
        row[2] = methods.ReadValue(QStringLiteral("mod_nev")).toText();
        row[4] = methods.ReadValue(QStringLiteral("mod_fajl")).toText();
        for (int k = 1; k <= kFunctionCount; ++k) {
            if (!serves(methods, k))
                continue;
            const std::size_t i = std::size_t(k - 1);
            if (!looked[i]) {
                names[i] = functionName(functions, k);
                looked[i] = true;
            }
            if (names[i])
                row[3] += *names[i] + QStringLiteral("; ");
        }
        write(r, row);
    }
}

}  // namespace kavinto

#include "functionsearch.h"

#include "methodlookup.h"
#include "schema.h"

namespace kavinto {
namespace {

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
    functions.setIndexFieldNames(kFunctionNameField);
    if (!functions.FindValue(kFunctionNameField, Value::text(chosen)))
        return kNothingChosen;
    return functions.ReadValue(kFunctionIdField).toText();
}

const BitVector& servingPositions(TClientDataSet& methods, int k) {
    return methods.positionsEqualTo(methods.fieldNumber(methodFlagField(k)),
                                    Value::text(QStringLiteral("1")));
}

// The first pass reads mod_id and mod_nev of every hit as text: the first
// null among them fails the search.
void requireTexts(TClientDataSet& methods, const RecordOrder& order, const BitVector& hits) {
    const Table& table = methods.content()->table();
    const Column& id = table.column(methods.fieldNumber(kMethodIdField));
    const Column& name = table.column(methods.fieldNumber(kMethodNameField));
    if (!id.hasNulls() && !name.hasNulls())
        return;
    for (std::size_t p = hits.findNext(0); p < hits.size(); p = hits.findNext(p + 1)) {
        const quint32 record = order.recordAt(p);
        if (id.isNull(record) || name.isNull(record))
            throw Error::nullAsText();
    }
}

// Adds the methods serving the function with number text `id` to those the
// hits must serve; false, without reading its flags, when there are no hits
// already or the number is not a function's.
bool narrow(TClientDataSet& methods, std::vector<const BitVector*>& serving, const QString& id) {
    const int k = functionNumber(id);
    methods.setIndexFieldNames(kMethodNameField);
    if (!BitVector::anySetInAll(serving) || k == 0)
        return false;
    serving.push_back(&servingPositions(methods, k));
    return true;
}

}  // namespace

void prepareFunctionSearch(TClientDataSet& methods) {
    methods.prepareIndex(kMethodNameField);
}

int functionSearch(TClientDataSet& methods, TClientDataSet& functions, WorkingRecords& records) {
    records.func1_id = records.func2_id = records.func3_id = kNothingChosen;
    records.func1_id = functionId(functions, records.selection.func1);
    records.func2_id = functionId(functions, records.selection.func2);
    records.func3_id = functionId(functions, records.selection.func3);

    records.hits = FunctionHits{};
    // The methods serving each chosen function, as positions in the name
    // order: the cached sets themselves, read once together below.
    std::vector<const BitVector*> serving;
    std::shared_ptr<const RecordOrder> order;
    if (records.func1_id != kNothingChosen) {
        const int k = functionNumber(records.func1_id);
        methods.setIndexFieldNames(kMethodNameField);
        methods.GoFirst();
        if (k != 0 && !methods.AtEnd()) {
            order = methods.currentOrder();
            serving.push_back(&servingPositions(methods, k));
            requireTexts(methods, *order, *serving.front());
        }
    }
    if (records.func2_id != kNothingChosen && !narrow(methods, serving, records.func2_id))
        serving.clear();
    if (records.func3_id != kNothingChosen && !narrow(methods, serving, records.func3_id))
        serving.clear();
    if (serving.empty())
        return 0;

    auto hits = std::make_shared<const HitRecords>(order, BitVector::allOf(serving));
    const int count = int(hits->size());
    if (count > 0)
        records.hits = {methods.content(), std::move(hits)};
    return count;
}

}  // namespace kavinto

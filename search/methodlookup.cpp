#include "methodlookup.h"

namespace kavinto {

std::optional<QString> functionName(TClientDataSet& functions, int k) {
    functions.setIndexFieldNames(kFunctionIdField);
    if (!functions.FindValue(kFunctionIdField, Value::text(QString::number(k))))
        return std::nullopt;
    return functions.ReadValue(kFunctionNameField).toText();
}

std::optional<ResultRow> lookupMethod(TClientDataSet& methods, TClientDataSet& functions,
                                      WorkingRecords& records) {
    methods.setIndexFieldNames(kMethodNameField);
    if (!methods.FindValue(kMethodNameField, Value::text(records.selection.modszer)))
        return std::nullopt;

    t_result& hit = records.hit(1);
    hit.azon = methods.ReadValue(kMethodIdField).toText();
    hit.nev = methods.ReadValue(kMethodNameField).toText();
    hit.fajl = methods.ReadValue(kMethodFileField).toText();
    for (int k = 1; k <= kFunctionCount; ++k)
        hit.fun_k(k) = methods.ReadValue(methodFlagField(k)).toText();

    t_result& names = records.name_list.front();
    for (int k = 1; k <= kFunctionCount; ++k)
        if (hit.fun_k(k) == QLatin1String("1"))
            if (const std::optional<QString> name = functionName(functions, k))
                names.fun_k(k) = *name;

    names.fun_list.clear();
    for (int k = 1; k <= kFunctionCount; ++k)
        if (!names.fun_k(k).isEmpty())
            names.fun_list += names.fun_k(k) + QStringLiteral("; ");
    return ResultRow{hit.azon, QStringLiteral("1."), hit.nev, names.fun_list, hit.fajl};
}

}  // namespace kavinto

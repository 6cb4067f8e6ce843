#include "methodlookup.h"

namespace kavinto {

QString flagField(int k) {
    return QStringLiteral("mod_fun_") + QString::number(k);
}

std::optional<QString> functionName(TClientDataSet& functions, int k) {
    functions.setIndexFieldNames(QStringLiteral("fun_id"));
    if (!functions.FindValue(QStringLiteral("fun_id"), Value::text(QString::number(k))))
        return std::nullopt;
    return functions.ReadValue(QStringLiteral("fun_nev")).toText();
}

std::optional<ResultRow> lookupMethod(TClientDataSet& methods, TClientDataSet& functions,
                                      WorkingRecords& records) {
    methods.setIndexFieldNames(QStringLiteral("mod_nev"));
    if (!methods.FindValue(QStringLiteral("mod_nev"), Value::text(records.selection.modszer)))
        return std::nullopt;

    t_result& hit = records.hit(1);
    hit.azon = methods.ReadValue(QStringLiteral("mod_id")).toText();
    hit.nev = methods.ReadValue(QStringLiteral("mod_nev")).toText();
    hit.fajl = methods.ReadValue(QStringLiteral("mod_fajl")).toText();
    for (int k = 1; k <= kFunctionCount; ++k)
        hit.fun_k(k) = methods.ReadValue(flagField(k)).toText();

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

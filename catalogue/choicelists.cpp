#include "choicelists.h"

#include "compressedfile.h"
#include "error.h"

#include <QFileInfo>

namespace kavinto {

bool isExistingFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

void openMethodsTable(TClientDataSet& methods, const QString& path, const TableLoader& load) {
    methods.CloseTable();
    methods.setActive(false);
    methods.setIndexFieldNames(QString());
    methods.setFileName(QString());
    load(methods, path);
    methods.ApplyPending(0);
    methods.OpenTable();
}

void openFunctionsTable(TClientDataSet& functions, const QString& path, const TableLoader& load) {
    functions.setActive(false);
    functions.setIndexFieldNames(QString());
    functions.setFileName(QString());
    load(functions, path);
    functions.ApplyPending(0);
    functions.setIndexFieldNames(kFunctionNameField);
    functions.OpenTable();
    functions.GoFirst();
}

void addMethodNames(TClientDataSet& methods, const ChoiceList& list) {
    const QString name = kMethodNameField;
    list.add(kNothingChosen);
    list.addRun(methods.textsToEnd(name));
    if (!methods.AtEnd())
        throw Error::nullAsText();  // a null name stopped the run
}

void addFunctionNames(TClientDataSet& functions, const ChoiceList& list1, const ChoiceList& list2,
                      const ChoiceList& list3) {
    const QString name = kFunctionNameField;
    for (const ChoiceList* list : {&list1, &list2, &list3}) list->add(kNothingChosen);
    const TextRun names = functions.textsToEnd(name);
    for (const ChoiceList* list : {&list1, &list2, &list3}) list->addRun(names);
    if (!functions.AtEnd())
        throw Error::nullAsText();
}

}  // namespace kavinto

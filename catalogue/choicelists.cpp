#include "choicelists.h"

#include "compressedfile.h"

#include <QFileInfo>

namespace kavinto {

bool isExistingFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

void openMethodsTable(TClientDataSet& methods, const QString& path) {
    methods.CloseTable();
    methods.setActive(false);
    methods.setIndexFieldNames(QString());
    methods.setFileName(QString());
    LoadDataset(methods, path);
    methods.ApplyPending(0);
    methods.OpenTable();
}

void openFunctionsTable(TClientDataSet& functions, const QString& path) {
    functions.setActive(false);
    functions.setIndexFieldNames(QString());
    functions.setFileName(QString());
    LoadDataset(functions, path);
    functions.ApplyPending(0);
    functions.setIndexFieldNames(QStringLiteral("fun_nev"));
    functions.OpenTable();
    functions.GoFirst();
}

void addMethodNames(TClientDataSet& methods, const AddItem& add) {
    add(kNothingChosen);
    while (!methods.AtEnd()) {
        add(methods.ReadValue(QStringLiteral("mod_nev")).toText());
        methods.GoNext();
    }
}

void addFunctionNames(TClientDataSet& functions, const AddItem& add1, const AddItem& add2,
                      const AddItem& add3) {
    add1(kNothingChosen);
    add2(kNothingChosen);
    add3(kNothingChosen);
    const QString name = QStringLiteral("fun_nev");
    while (!functions.AtEnd()) {
        add1(functions.ReadValue(name).toText());
        add2(functions.ReadValue(name).toText());
        add3(functions.ReadValue(name).toText());
        functions.GoNext();
    }
}

}  // namespace kavinto

#pragma once

#include "clientdataset.h"

#include <QString>

#include <functional>

namespace kavinto {

// The catalogue files, relative to the working directory.
inline const QString kMethodsFile = QStringLiteral("data/kavinto_modszerek.cds");
inline const QString kFunctionsFile = QStringLiteral("data/kavinto_funkciok.cds");
// The list entry that means "nothing chosen".
inline const QString kNothingChosen = QStringLiteral("-");

using AddItem = std::function<void(const QString&)>;

// Whether the path names an existing file; a folder does not count.
bool isExistingFile(const QString& path);

// Loads the methods table afresh from the file; it stays in packet order.
void openMethodsTable(TClientDataSet& methods, const QString& path);
// Loads the functions table afresh from the file, ordered by name, on its first record.
void openFunctionsTable(TClientDataSet& functions, const QString& path);

// Adds "-", then the method name of every record from the current one to the
// end. Each item is added as soon as it is read, so a failure keeps the
// items added before it.
void addMethodNames(TClientDataSet& methods, const AddItem& add);
// Adds "-" to each of the three lists, then every function name, read afresh
// for each list, from the current record to the end.
void addFunctionNames(TClientDataSet& functions, const AddItem& add1, const AddItem& add2,
                      const AddItem& add3);

}  // namespace kavinto

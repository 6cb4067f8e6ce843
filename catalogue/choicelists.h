#pragma once

#include "clientdataset.h"
#include "compressedfile.h"
#include "schema.h"

#include <QString>

#include <functional>

namespace kavinto {

// A choice list as the loading fills it: one item, or a run of items at once.
struct ChoiceList {
    std::function<void(const QString&)> add;
    std::function<void(const TextRun&)> addRun;
};

// Whether the path names an existing file; a folder does not count.
bool isExistingFile(const QString& path);

// Reads a table file into a table: LoadDataset, or the window's own reader.
using TableLoader = std::function<void(TClientDataSet&, const QString&)>;

// Loads the methods table afresh from the file; it stays in packet order.
void openMethodsTable(TClientDataSet& methods, const QString& path,
                      const TableLoader& load = LoadDataset);
// Loads the functions table afresh from the file, ordered by name, on its first record.
void openFunctionsTable(TClientDataSet& functions, const QString& path,
                        const TableLoader& load = LoadDataset);

// Adds "-", then the method name of every record from the current one to
// the end. A name that cannot be taken as text fails after the names before
// it have been added.
void addMethodNames(TClientDataSet& methods, const ChoiceList& list);
// Adds "-" to each of the three lists, then every function name from the
// current record to the end, to each list; a failing name likewise.
void addFunctionNames(TClientDataSet& functions, const ChoiceList& list1, const ChoiceList& list2,
                      const ChoiceList& list3);

}  // namespace kavinto

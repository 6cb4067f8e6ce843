#pragma once

#include "clientdataset.h"
#include "records.h"
#include "resultrows.h"

#include <optional>

namespace kavinto {

// Finds the method named by selection.modszer (whole name, any letter case)
// in the methods table ordered by name, fills entry 1 of hit_list and of
// name_list, and returns row 1 of the result grid; nothing when no method
// has that name. Functions appear in column 3 in the order of their numbers,
// each flag compared as text with "1"; a flagged number the functions table
// lacks adds nothing. Table errors (a missing field, a null value read as
// text) are thrown unchanged.
std::optional<ResultRow> lookupMethod(TClientDataSet& methods, TClientDataSet& functions,
                                      WorkingRecords& records);

// The name of function k: FindValue on fun_id in the functions table ordered
// by fun_id; nothing when the table lacks it.
std::optional<QString> functionName(TClientDataSet& functions, int k);

}  // namespace kavinto

#pragma once

#include "clientdataset.h"
#include "records.h"
#include "resultrow.h"

#include <functional>

namespace kavinto {

// Turns the chosen function names into func1_id..func3_id ("-" where
// nothing is chosen or the name is not in the functions table), collects in
// hit_list every method serving the first function, in ascending mod_nev
// order, and narrows the list by the second and third. Returns hit_count.
// A method serves function k when its flag compares equal to the text "1"
// (a null flag does not). Work is linear in the catalogue size.
int functionSearch(TClientDataSet& methods, TClientDataSet& functions, WorkingRecords& records);

// Hands rows 1 to hitCount of the result grid, for the hits of a function
// search, to `write` in hit order, each as soon as it is read: the method's
// id, number, name, document and every function it serves, in the order of
// their numbers; a flagged number the functions table lacks adds nothing.
using RowWriter = std::function<void(int row, const ResultRow& cells)>;
void fillResultRows(TClientDataSet& methods, TClientDataSet& functions, const WorkingRecords& records,
                    int hitCount, const RowWriter& write);

}  // namespace kavinto

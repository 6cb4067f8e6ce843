#pragma once

#include "clientdataset.h"
#include "records.h"

namespace kavinto {

// Sets func1_id..func3_id to "-", then to the chosen functions' numbers
// ("-" where nothing is chosen or the name is not in the functions table),
// collects in records.hits every method serving the first function, in
// ascending mod_nev order, and narrows them by the second and third.
// Returns hit_count. A method serves function k when its flag compares
// equal to the text "1" (a null flag does not). Each function's flags are
// read once per loaded table, as a bit set over the name order; a search is
// bit operations over those. Fails where, and with what, a walk over the
// table reading each record would: a missing field, a hit whose mod_id or
// mod_nev is null.
int functionSearch(TClientDataSet& methods, TClientDataSet& functions, WorkingRecords& records);

// Starts computing, in the background, the order a function search lists
// the freshly loaded methods in, so that the first search may find it ready.
void prepareFunctionSearch(TClientDataSet& methods);

}  // namespace kavinto

#pragma once

#include "hitrecords.h"
#include "loadedtable.h"
#include "schema.h"

#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace kavinto {

inline constexpr int kListEntries = 100;

// The four list texts of one search; "-" means nothing chosen in that list.
struct select {
    QString modszer;
    QString func1;
    QString func2;
    QString func3;
};

// One entry of the working arrays: 21 texts.
struct t_result {
    QString nev;
    QString fajl;
    QString azon;
    std::array<QString, kFunctionCount> fun;  // fun_1 .. fun_17
    QString fun_list;

    QString& fun_k(int k) { return fun[std::size_t(k - 1)]; }
    const QString& fun_k(int k) const { return fun[std::size_t(k - 1)]; }
};

// The hits of a function search: methods table records, in the order of
// mod_nev, held as records rather than copied texts, and shared with the
// result rows made of them rather than copied again.
struct FunctionHits {
    std::shared_ptr<const LoadedTable> table;
    std::shared_ptr<const HitRecords> records = std::make_shared<const HitRecords>();
};

// The search's working records, alive for the whole run and overwritten by
// every search. hit_list and name_list hold 100 entries each: a method
// lookup fills entry 1 of both; a function search keeps its hits, however
// many, in `hits`.
struct WorkingRecords {
    select selection;
    std::vector<t_result> hit_list = std::vector<t_result>(kListEntries);
    std::vector<t_result> name_list = std::vector<t_result>(kListEntries);
    QString func1_id;
    QString func2_id;
    QString func3_id;
    FunctionHits hits;

    // Entry n of hit_list, counted from 1.
    t_result& hit(int n) { return hit_list.at(std::size_t(n - 1)); }
    const t_result& hit(int n) const { return hit_list.at(std::size_t(n - 1)); }

    // Empties every field of both arrays and the hits; keeps the selection
    // and the function number texts.
    void arrayclear();
};

// The program's one instance.
extern WorkingRecords workingRecords;

}  // namespace kavinto

#pragma once

#include <QString>

#include <array>
#include <vector>

namespace kavinto {

inline constexpr int kFunctionCount = 17;
inline constexpr int kListEntries = 100;

// The four list texts of one search; "-" means nothing chosen in that list.
struct select {
    QString modszer;
    QString func1;
    QString func2;
    QString func3;
};

// One entry of the working arrays: 21 texts, and the record it came from.
struct t_result {
    QString nev;
    QString fajl;
    QString azon;
    std::array<QString, kFunctionCount> fun;  // fun_1 .. fun_17
    QString fun_list;
    // The methods table bookmark of the hit, so that records sharing an id
    // stay apart; -1 where no record was taken.
    int record = -1;

    QString& fun_k(int k) { return fun[std::size_t(k - 1)]; }
    const QString& fun_k(int k) const { return fun[std::size_t(k - 1)]; }
};

// The search's working records, alive for the whole run and overwritten by
// every search. hit_list and name_list hold 100 entries each; hit_list grows
// when a function search finds more.
struct WorkingRecords {
    select selection;
    std::vector<t_result> hit_list = std::vector<t_result>(kListEntries);
    std::vector<t_result> name_list = std::vector<t_result>(kListEntries);
    QString func1_id;
    QString func2_id;
    QString func3_id;

    // Entry n, counted from 1; hit_list grows to reach it.
    t_result& hit(int n);
    const t_result& hit(int n) const { return hit_list.at(std::size_t(n - 1)); }

    // Empties every field of both arrays (back to 100 entries each); keeps
    // the selection and the function number texts.
    void arrayclear();
};

// The program's one instance.
extern WorkingRecords workingRecords;

}  // namespace kavinto

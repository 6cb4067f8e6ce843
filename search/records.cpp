#include "records.h"

namespace kavinto {

WorkingRecords workingRecords;

t_result& WorkingRecords::hit(int n) {
    if (std::size_t(n) > hit_list.size())
        hit_list.resize(std::size_t(n));
    return hit_list[std::size_t(n - 1)];
}

void WorkingRecords::arrayclear() {
    hit_list.assign(kListEntries, t_result{});
    name_list.assign(kListEntries, t_result{});
}

}  // namespace kavinto

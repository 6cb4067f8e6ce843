#include "records.h"

namespace kavinto {

WorkingRecords workingRecords;

void WorkingRecords::arrayclear() {
    for (std::vector<t_result>* list : {&hit_list, &name_list})
        for (t_result& entry : *list) entry = t_result{};
    hits = FunctionHits{};
}

}  // namespace kavinto

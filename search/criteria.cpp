#include "criteria.h"

#include "schema.h"

namespace kavinto {

std::optional<QString> refusalOf(const select& s) {
    const bool noMethod = s.modszer == kNothingChosen;
    const bool noFirst = s.func1 == kNothingChosen;
    const bool noSecond = s.func2 == kNothingChosen;
    const bool noThird = s.func3 == kNothingChosen;
    if (noMethod && noFirst && noSecond && noThird)
        return kNoCriterionMessage;
    if (noMethod && noFirst && (!noSecond || !noThird))
        return kOrderMessage;
    return std::nullopt;
}

}  // namespace kavinto

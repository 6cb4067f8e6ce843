#include "data.h"

namespace kavinto {

TData* Data = nullptr;

}  // namespace kavinto

#include "console.h"

namespace kavinto {

void prepareConsole() {}

}  // namespace kavinto

#include "console.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace kavinto {

void prepareConsole() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

// Qt takes the arguments from the system as UTF-16: every name round-trips.
std::optional<QString> unrepresentableArgument(int, char**) {
    return std::nullopt;
}

}  // namespace kavinto

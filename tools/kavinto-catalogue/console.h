#pragma once

#include <QString>

#include <optional>

namespace kavinto {

// Makes standard output and error carry the tool's UTF-8 bytes unchanged, as
// on Linux: on Windows no line-end translation, and a console that shows them
// as UTF-8. Nothing elsewhere.
void prepareConsole();

// The first argument whose bytes the program could not hand back unchanged
// (on Linux: a name that is not UTF-8, such as a Latin-2 folder name), shown
// with its bytes escaped; nothing when every argument round-trips.
std::optional<QString> unrepresentableArgument(int argc, char** argv);

}  // namespace kavinto

#pragma once

#include <QIODevice>
#include <QString>

#include <cstdio>
#include <memory>
#include <optional>

namespace kavinto {

// A device for standard output or error that carries the tool's UTF-8 text
// as on Linux: its bytes unchanged where the stream is a file or a pipe (on
// Windows with no line-end translation); in a Windows console, whole lines
// through the console's own UTF-16 output, whatever its code page, which
// is left as it was.
std::unique_ptr<QIODevice> openConsoleStream(FILE* stream);

// The first argument whose bytes the program could not hand back unchanged
// (on Linux: a name that is not UTF-8, such as a Latin-2 folder name), shown
// with its bytes escaped; nothing when every argument round-trips.
std::optional<QString> unrepresentableArgument(int argc, char** argv);

}  // namespace kavinto

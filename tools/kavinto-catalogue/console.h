#pragma once

namespace kavinto {

// Makes standard output and error carry the tool's UTF-8 bytes unchanged, as
// on Linux: on Windows no line-end translation, and a console that shows them
// as UTF-8. Nothing elsewhere.
void prepareConsole();

}  // namespace kavinto

#pragma once

#include <QStringList>
#include <QTextStream>

namespace kavinto {

// Runs the catalogue command with its arguments (without the program name).
// Returns the exit code: 0 success, 1 a refusal, failure or problem found,
// 2 a usage error.
int runCatalogueCommand(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace kavinto

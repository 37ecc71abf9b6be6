#pragma once

#include "cli/CommandLine.h"

#include <QString>

namespace cli {

// Every message may hold the user's data or a file name: shown escaped, so
// that none can drive the terminal.
void printError(const QString& text);

} // namespace cli

#pragma once

#include "cli/Options.h"

namespace cli {

// Draws --data and writes it to --output (or standard output); returns the
// exit status. Every picture is checked against `readBack` as it is written.
int writeOneSymbol(const Settings& settings, const output::ReadBack& readBack);

} // namespace cli

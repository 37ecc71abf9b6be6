#pragma once

#include "cli/Options.h"

namespace cli {

// One symbol per line of --batch, each to its file named by the --output
// pattern, with a progress line on a terminal; returns the exit status.
// SIGINT and SIGTERM stop it between lines, leaving only whole files.
int runBatch(const Settings& settings, const output::ReadBack& readBack);

} // namespace cli

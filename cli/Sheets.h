#pragma once

#include "cli/Options.h"

namespace cli {

// A sheet of labels from -d or --batch, written as one PDF whole or not at
// all; the exit status.
int writeSheet(const Settings& settings, const output::ReadBack& readBack);
// The label products matching the search, one a line on standard output
// (closed by the caller when `outputClosed`).
int listSheets(const Settings& settings, bool outputClosed);

} // namespace cli

#pragma once

#include "cli/CommandLine.h"

#include <QString>

namespace cli {

struct Settings;

// Every message may hold the user's data or a file name: shown escaped, so
// that none can drive the terminal.
void printError(const QString& text);

// Text for standard output (the help, a list): stdio keeps it in its buffer,
// so a full disk or a closed pipe shows only when it is flushed; the exit
// status, with the reason on standard error when the text did not get out.
int showOnStandardOutput(const QString& text, bool closed);

// Why no decoder can check the symbols the settings draw ("Not checked: no
// decoder reads ..."), or nothing when one can.
QString notCheckedWhy(const Settings& settings);
// Why --verify refuses every symbol of the settings, for "X not written: ...".
QString verifyRefusal(const Settings& settings);

// A message of the drawing jobs in the command line's words: they speak of the
// window's limits, and the command line has no window.
QString commandLineWords(const QString& message);

} // namespace cli

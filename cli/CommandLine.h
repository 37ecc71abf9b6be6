#pragma once

#include <QString>

namespace output {
struct BatchProgress;
}

namespace cli {

enum ExitStatus { kSuccess = 0, kFailed = 1, kUsage = 2 };

// True when the arguments ask for the command line: anything beyond the
// options Qt itself takes for a window.
bool wantsCommandLine(int argc, char** argv);

// Draws and writes without a window or a display, then ends the process with
// the exit status (returns it only in a sanitizer build).
// Makes its own application object, on the offscreen platform.
int run(int argc, char** argv);

// The text with every control character shown escaped (\e, \a, \x9b, ...):
// data and file names echoed to a terminal cannot drive it.
QString printable(const QString& text);

// "done/total lines, rate, time left" for a terminal; without a total, the
// lines done and the rate.
QString progressLine(const output::BatchProgress& progress);

} // namespace cli

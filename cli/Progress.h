#pragma once

#include "cli/CommandLine.h"
#include "jobs/BatchRunner.h"

#include <QtGlobal>

class QTextStream;

namespace cli {

// A batch's progress line (progressLine) on a terminal: redrawn in place a few
// times a second, cleared for a line's message, and left standing at the end
// with the last count.
class TerminalProgress {
  public:
    // Draws nothing when not shown: --quiet, or standard error not a terminal.
    TerminalProgress(QTextStream& err, bool shown) : m_err(err), m_shown(shown) {}

    void update(const output::BatchProgress& progress);
    // Before a message: the line is drawn again after it.
    void clear();
    void finish();

  private:
    QTextStream& m_err;
    const bool m_shown;
    // The tenth of a second last drawn, -1 when nothing stands on the line.
    qint64 m_shownAt = -1;
    qint64 m_shownDone = -1;
    output::BatchProgress m_last;
};

} // namespace cli

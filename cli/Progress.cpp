#include "cli/Progress.h"

#include <QString>
#include <QTextStream>

#include <cmath>

namespace cli {

QString progressLine(const output::BatchProgress& p)
{
    const double rate = p.seconds > 0 ? p.done / p.seconds : 0;
    QString line = p.total >= 0 ? QStringLiteral("%1/%2 lines").arg(p.done).arg(p.total)
                                : QStringLiteral("%1 lines").arg(p.done);
    line += QStringLiteral(", %1/s").arg(qRound64(rate));
    if (p.total >= 0 && rate > 0) {
        const qint64 left = qint64(std::ceil((p.total - p.done) / rate));
        line += QStringLiteral(", %1:%2 left").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
    }
    if (p.failed > 0)
        line += QStringLiteral(", %1 failed").arg(p.failed);
    return line;
}

void TerminalProgress::update(const output::BatchProgress& p)
{
    if (!m_shown)
        return;
    m_last = p;
    // A few redraws a second are enough to read; more only cost time.
    const qint64 tenths = qint64(p.seconds * 10);
    if (tenths == m_shownAt && p.done != p.total)
        return;
    m_shownAt = tenths;
    m_shownDone = p.done;
    m_err << '\r' << progressLine(p) << "\x1b[K" << Qt::flush;
}

void TerminalProgress::clear()
{
    if (m_shownAt >= 0)
        m_err << "\r\x1b[K" << Qt::flush;
    m_shownAt = -1;
}

void TerminalProgress::finish()
{
    if (!m_shown || m_last.done <= 0)
        return;
    // The last count stays on the screen, whether or not it was drawn yet.
    if (m_shownDone != m_last.done || m_shownAt < 0)
        m_err << '\r' << progressLine(m_last) << "\x1b[K";
    m_err << '\n' << Qt::flush;
}

} // namespace cli

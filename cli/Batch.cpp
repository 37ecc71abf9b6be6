#include "cli/Batch.h"

#include "cli/Messages.h"
#include "cli/Progress.h"
#include "jobs/BatchRunner.h"

#include <QFile>
#include <QTextStream>

#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace cli {

namespace {

// Set by SIGINT and SIGTERM while a batch runs. The runner polls the flag
// between lines and while it waits for input, then finishes or removes the
// files in flight, so that an interrupted batch leaves only whole files. A
// handler may do no more than this: the only state it shares is lock-free.
std::atomic<bool> g_stopBatch{false};
volatile std::sig_atomic_t g_stopSignal = 0;
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void stopBatch(int signal)
{
    g_stopSignal = signal;
    g_stopBatch.store(true);
}

// Catches SIGINT and SIGTERM for as long as it lives, then puts back what was
// there. A signal the caller ignores (a shell's background job) stays ignored.
class BatchSignals {
  public:
    BatchSignals()
    {
        for (size_t i = 0; i < kSignals.size(); ++i) {
            if (::sigaction(kSignals[i], nullptr, &m_old[i]) != 0 || m_old[i].sa_handler == SIG_IGN)
                continue;
            struct sigaction action {};
            action.sa_handler = stopBatch;
            sigemptyset(&action.sa_mask);
            // The workers' writes go on; the wait for input polls and sees the flag.
            action.sa_flags = SA_RESTART;
            m_installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
        }
    }
    ~BatchSignals()
    {
        for (size_t i = 0; i < kSignals.size(); ++i)
            if (m_installed[i])
                ::sigaction(kSignals[i], &m_old[i], nullptr);
    }
    BatchSignals(const BatchSignals&) = delete;
    BatchSignals& operator=(const BatchSignals&) = delete;

    const std::atomic<bool>* stop() const { return &g_stopBatch; }
    // The signal that stopped the batch, or 0.
    int caught() const { return g_stopSignal; }

  private:
    static constexpr std::array<int, 2> kSignals = {SIGINT, SIGTERM};
    std::array<struct sigaction, 2> m_old{};
    std::array<bool, 2> m_installed{};
};

// The lines: the file --batch names, or standard input for "-".
bool openInput(QFile& input, const QString& source)
{
    const bool opened = source == QLatin1String("-")
                            ? input.open(stdin, QIODevice::ReadOnly)
                            : (input.setFileName(source), input.open(QIODevice::ReadOnly));
    if (!opened)
        printError(QStringLiteral("barcode-generator: %1: %2").arg(source, input.errorString()));
    return opened;
}

output::BatchSettings batchSettings(const Settings& s, const output::ReadBack& readBack)
{
    output::BatchSettings settings{.symbology = s.symbology,
                                   .options = s.asked,
                                   .library = s.library,
                                   .labelFont = s.font,
                                   .file = s.file,
                                   .pattern = s.target,
                                   .replace = s.replace,
                                   .jobs = s.jobs};
    settings.check = readBack;
    settings.refuseUnread = s.verify;
    return settings;
}

// A line not written, or written with a warning that it may not scan.
void reportLine(QTextStream& err, const output::LineOutcome& outcome)
{
    if (outcome.written)
        err << QStringLiteral("line %1: warning: %2: %3")
                   .arg(outcome.line)
                   .arg(printable(outcome.path), printable(outcome.unread));
    else
        err << QStringLiteral("line %1: %2").arg(outcome.line).arg(printable(commandLineWords(outcome.message)));
    err << '\n' << Qt::flush;
}

// The end of a batch that did not run its course: stopped by a signal, with
// the shell's status for it, or an input that could not be read to its end.
std::optional<int> batchCutShort(const output::BatchSummary& summary, const BatchSignals& interrupts,
                                 const QString& source)
{
    if (summary.cancelled && interrupts.caught() != 0) {
        printError(QStringLiteral("barcode-generator: %1: stopped after %2 files written, each complete")
                       .arg(QLatin1String(interrupts.caught() == SIGINT ? "interrupted" : "terminated"))
                       .arg(summary.written));
        return 128 + interrupts.caught();
    }
    if (!summary.inputError.isEmpty()) {
        printError(QStringLiteral("barcode-generator: %1: %2").arg(source, summary.inputError));
        return kFailed;
    }
    return std::nullopt;
}

// The end of a batch that read all its lines.
int reportSummary(QTextStream& err, const output::BatchSummary& summary)
{
    if (summary.unread > 0)
        err << QStringLiteral("barcode-generator: warning: %1 of the files written may not scan")
                   .arg(summary.unread)
            << '\n';
    if (summary.failed > 0) {
        err << QStringLiteral("barcode-generator: %1 of %2 lines not written")
                   .arg(summary.failed)
                   .arg(summary.lines)
            << '\n';
        return kFailed;
    }
    return kSuccess;
}

} // namespace

int runBatch(const Settings& s, const output::ReadBack& readBack)
{
    QFile input;
    if (!openInput(input, s.batchSource))
        return kFailed;
    const qint64 total = output::countLines(input);

    QTextStream err(stderr);
    TerminalProgress progress(err, !s.quiet && ::isatty(STDERR_FILENO));
    const BatchSignals interrupts;
    output::BatchRunner runner(batchSettings(s, readBack));
    const output::BatchSummary summary = runner.run(
        input, total,
        [&](const output::LineOutcome& outcome) {
            progress.clear();
            reportLine(err, outcome);
        },
        [&](const output::BatchProgress& p) { progress.update(p); }, interrupts.stop());
    progress.finish();
    if (const std::optional<int> status = batchCutShort(summary, interrupts, s.batchSource))
        return *status;
    return reportSummary(err, summary);
}

} // namespace cli

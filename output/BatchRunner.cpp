#include "output/BatchRunner.h"

#include "output/SaveFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QIODevice>
#include <QThread>
#include <QThreadPool>

#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

namespace output {

namespace {

// What a worker hands back: the file staged beside its target, or why not.
struct Drawn {
    qint64 line = 0;
    QString path;
    StagedFile staged;
    QString message; // the window's message for bad data, or why it was not staged
    QString unread;  // staged, but not read back as its data
};

// Each worker draws on a set of surfaces of its own; there are never more
// workers running than sets.
class SurfacePool {
  public:
    SurfacePool(int count, const QString& font)
    {
        for (int i = 0; i < count; ++i)
            m_all.push_back(std::make_unique<SymbolSurfaces>(font));
        for (const auto& s : m_all)
            m_free.push_back(s.get());
    }
    SymbolSurfaces* take()
    {
        const std::lock_guard lock(m_mutex);
        SymbolSurfaces* s = m_free.back();
        m_free.pop_back();
        return s;
    }
    void give(SymbolSurfaces* s)
    {
        const std::lock_guard lock(m_mutex);
        m_free.push_back(s);
    }

  private:
    std::vector<std::unique_ptr<SymbolSurfaces>> m_all;
    std::vector<SymbolSurfaces*> m_free;
    std::mutex m_mutex;
};

QString lineText(QByteArray bytes)
{
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    return QString::fromUtf8(bytes);
}

int digits(qint64 n)
{
    int d = 1;
    while (n >= 10) {
        n /= 10;
        ++d;
    }
    return d;
}

} // namespace

qint64 countLines(QIODevice& input)
{
    if (input.isSequential())
        return -1;
    qint64 lines = 0;
    char last = '\n';
    char buffer[1 << 16];
    for (qint64 n; (n = input.read(buffer, sizeof buffer)) > 0;) {
        lines += std::count(buffer, buffer + n, '\n');
        last = buffer[n - 1];
    }
    if (last != '\n')
        ++lines; // a last line without its line end
    input.seek(0);
    return lines;
}

QString batchPath(const QString& pattern, qint64 line, int width, const QString& data)
{
    QString safe = safeFileName(data);
    // A name of dots alone would climb out of the folder or stand for it.
    if (!safe.isEmpty() && safe.count(QChar(u'.')) == safe.size())
        safe.fill(QChar(u'_'));
    QString path = pattern;
    path.replace(QLatin1String("{n}"), QStringLiteral("%1").arg(line, width, 10, QChar(u'0')));
    path.replace(QLatin1String("{data}"), safe);
    return path;
}

bool patternNamesEachLine(const QString& pattern)
{
    return pattern.contains(QLatin1String("{n}")) || pattern.contains(QLatin1String("{data}"));
}

BatchRunner::BatchRunner(BatchSettings settings) : m_settings(std::move(settings)) {}

BatchSummary BatchRunner::run(QIODevice& input, qint64 totalLines, const Report& report,
                              const Progress& progress, const std::atomic<bool>* cancel)
{
    const int jobs = m_settings.jobs > 0 ? m_settings.jobs : std::max(1, QThread::idealThreadCount());
    const int width = totalLines > 0 ? digits(totalLines) : 0;
    // Enough lines ahead to keep every worker busy while one file is put in
    // place, few enough that memory does not grow with the batch.
    const size_t ahead = size_t(jobs) * 8;

    SurfacePool surfaces(jobs, m_settings.labelFont);
    QThreadPool pool;
    pool.setMaxThreadCount(jobs);
    std::deque<std::future<Drawn>> pending;
    const BatchSettings& s = m_settings;

    auto submit = [&](qint64 line, QString data) {
        auto task = std::make_shared<std::packaged_task<Drawn()>>([&s, &surfaces, width, line, data] {
            Drawn drawn{line, batchPath(s.pattern, line, width, data), {}, {}, {}};
            SymbolSurfaces* own = surfaces.take();
            const SymbolResult symbol = drawSymbol(*own, s.symbology, data, s.options);
            const auto notWritten = [&drawn](const QString& why) {
                drawn.message = QStringLiteral("%1 not written: %2").arg(drawn.path, why);
            };
            if (!symbol.ok()) {
                drawn.message = symbol.message;
            } else if (CheckedFile made = encodeChecked(symbol, s.file, s.check, s.refuseUnread);
                       !made.file.ok()) {
                notWritten(made.file.error);
            } else {
                drawn.unread = std::move(made.unread);
                drawn.staged = stageBytes(made.file.bytes, drawn.path,
                                          {.keepExisting = !s.replace, .makeFolders = true});
            }
            surfaces.give(own);
            return drawn;
        });
        pending.push_back(task->get_future());
        pool.start([task] { (*task)(); });
    };

    BatchSummary summary;
    BatchProgress state{0, totalLines, 0, 0};
    QElapsedTimer clock;
    clock.start();

    auto finishOne = [&] {
        Drawn drawn = pending.front().get();
        pending.pop_front();
        LineOutcome outcome{drawn.line, drawn.path, drawn.message, {}, false};
        if (drawn.message.isEmpty()) {
            if (cancel && cancel->load()) {
                // Drawn but not yet in place: dropping it removes it, every
                // file already written stays.
                summary.cancelled = true;
                return;
            }
            const SaveResult result = drawn.staged.commit();
            outcome.written = result.saved;
            if (result.saved)
                outcome.unread = drawn.unread;
            if (result.existed)
                outcome.message = QStringLiteral("%1 exists (--force replaces it)").arg(drawn.path);
            else if (!result.saved)
                outcome.message = QStringLiteral("%1 not written: %2").arg(drawn.path, result.error);
        }
        ++state.done;
        if (outcome.written)
            ++summary.written;
        else
            ++summary.failed;
        if (!outcome.unread.isEmpty())
            ++summary.unread;
        state.failed = summary.failed;
        state.seconds = double(clock.nsecsElapsed()) / 1e9;
        if ((!outcome.written || !outcome.unread.isEmpty()) && report)
            report(outcome);
        if (progress)
            progress(state);
    };

    for (qint64 line = 1;; ++line) {
        if (cancel && cancel->load())
            break;
        const QByteArray bytes = input.readLine();
        if (bytes.isEmpty())
            break; // the end: even an empty line has its line end
        summary.lines = line;
        submit(line, lineText(bytes));
        while (pending.size() >= ahead)
            finishOne();
    }
    while (!pending.empty())
        finishOne();
    if (cancel && cancel->load())
        summary.cancelled = true;
    return summary;
}

} // namespace output

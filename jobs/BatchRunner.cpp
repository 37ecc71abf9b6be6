#include "jobs/BatchRunner.h"

#include "formats/SaveFile.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QRegularExpression>
#include <QThread>
#include <QThreadPool>

#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
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
    bool blank = false;     // nothing to draw: skipped, but counted for {n}
    bool cancelled = false; // not drawn, the batch being cancelled first
};

std::future<Drawn> ready(Drawn drawn)
{
    std::promise<Drawn> promise;
    promise.set_value(std::move(drawn));
    return promise.get_future();
}

bool isSet(const std::atomic<bool>* flag)
{
    return flag && flag->load();
}

// A line of more bytes than this holds more than kMaxDataLength characters:
// UTF-8 takes at most three bytes for one UTF-16 unit, and the line end two.
constexpr qsizetype kLongestLine = 3 * kMaxDataLength + 2;

struct FileIdHash {
    size_t operator()(const FileId& id) const noexcept
    {
        return std::hash<quint64>()(id.inode) ^ (std::hash<quint64>()(id.device) << 1);
    }
};

// Each worker draws on a set of surfaces of its own; there are never more
// workers running than sets.
class SurfacePool {
  public:
    SurfacePool(int count, const QString& font) : m_font(font)
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
    // A set that ran out of memory while drawing may be left half-drawn: the
    // next line gets a new one, or this one again if even that fails.
    void renew(SymbolSurfaces* s)
    {
        std::unique_ptr<SymbolSurfaces> fresh;
        try {
            fresh = std::make_unique<SymbolSurfaces>(m_font);
        } catch (const std::bad_alloc&) {
        }
        const std::lock_guard lock(m_mutex);
        if (fresh)
            for (auto& owned : m_all)
                if (owned.get() == s) {
                    owned.swap(fresh);
                    s = owned.get();
                    break;
                }
        m_free.push_back(s);
    }

  private:
    std::vector<std::unique_ptr<SymbolSurfaces>> m_all;
    std::vector<SymbolSurfaces*> m_free;
    std::mutex m_mutex;
    QString m_font;
};

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

QString unknownPlaceholder(const QString& pattern)
{
    static const QRegularExpression placeholder(QStringLiteral("\\{[^{}]*\\}"));
    for (const QRegularExpressionMatch& m : placeholder.globalMatch(pattern))
        if (m.captured() != QLatin1String("{n}") && m.captured() != QLatin1String("{data}"))
            return m.captured();
    return {};
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
        auto task = std::make_shared<std::packaged_task<Drawn()>>([&s, &surfaces, width, line, data, cancel] {
            Drawn drawn{line, batchPath(s.pattern, line, width, data), {}, {}, {}};
            // Lines queued behind a cancel are not drawn: the batch ends sooner.
            if (isSet(cancel)) {
                drawn.cancelled = true;
                return drawn;
            }
            const auto notWritten = [&drawn](const QString& why) {
                drawn.message = QStringLiteral("%1 not written: %2").arg(drawn.path, why);
            };
            SymbolSurfaces* own = surfaces.take();
            try {
                const SymbolResult symbol = drawChosen(*own, s.symbology, s.options, s.library, data);
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
            } catch (const std::bad_alloc&) {
                drawn.staged = {};
                drawn.unread.clear();
                notWritten(QStringLiteral("there is not enough memory to draw it"));
                surfaces.renew(own);
                return drawn;
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
    // The files this batch put in place, by what the file system knows them
    // as, with their lines. Only {data} can give two lines one name.
    const bool namesMayMeet = s.pattern.contains(QLatin1String("{data}"));
    std::unordered_map<FileId, qint64, FileIdHash> ours;

    auto finishOne = [&] {
        Drawn drawn = pending.front().get();
        pending.pop_front();
        // Past a cancel nothing is put in place, nor refused: dropped, a file
        // drawn ahead removes itself, and every file already written stays.
        if (drawn.cancelled || isSet(cancel)) {
            summary.cancelled = true;
            return;
        }
        LineOutcome outcome{drawn.line, drawn.path, drawn.message, {}, false};
        if (drawn.blank) {
            ++state.done;
            state.seconds = double(clock.nsecsElapsed()) / 1e9;
            if (progress)
                progress(state);
            return;
        }
        if (drawn.message.isEmpty()) {
            const std::optional<FileId> there = namesMayMeet ? fileIdAt(drawn.path) : std::nullopt;
            if (const auto earlier = there ? ours.find(*there) : ours.end(); earlier != ours.end()) {
                outcome.message = QStringLiteral("%1 not written: line %2 wrote a file of that name")
                                      .arg(drawn.path)
                                      .arg(earlier->second);
            } else {
                const FileId id = drawn.staged.id();
                const SaveResult result = drawn.staged.commit();
                outcome.written = result.saved;
                if (result.saved) {
                    outcome.unread = drawn.unread;
                    if (namesMayMeet)
                        ours.emplace(id, drawn.line);
                }
                if (result.existed)
                    outcome.message = QStringLiteral("%1 exists (--force replaces it)").arg(drawn.path);
                else if (!result.saved)
                    outcome.message = QStringLiteral("%1 not written: %2").arg(drawn.path, result.error);
            }
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

    LineReader reader(input, kLongestLine);
    for (qint64 line = 1;; ++line) {
        // A producer that is slow to send the next line does not hold back
        // the files of the lines it sent.
        if (!reader.ready())
            while (!pending.empty())
                finishOne();
        if (isSet(cancel))
            break;
        LineReader::Line got;
        const LineReader::Next next = reader.next(got, cancel);
        if (next == LineReader::Next::Failed)
            summary.inputError = reader.error();
        if (next != LineReader::Next::Line)
            break;
        const Utf8Text text = got.tooLong ? Utf8Text{} : lineText(std::move(got.bytes));
        const QString& data = text.text;
        if (got.tooLong || data.size() > kMaxDataLength) {
            ++summary.lines;
            pending.push_back(ready({line, {}, {}, dataTooLongMessage(), {}}));
        } else if (!text.ok()) {
            ++summary.lines;
            pending.push_back(ready({line, {}, {}, text.error, {}}));
        } else if (data.isEmpty()) {
            pending.push_back(ready({line, {}, {}, {}, {}, true}));
        } else {
            ++summary.lines;
            submit(line, data);
        }
        while (pending.size() >= ahead)
            finishOne();
    }
    while (!pending.empty())
        finishOne();
    if (isSet(cancel))
        summary.cancelled = true;
    return summary;
}

} // namespace output

#include "jobs/BatchRunner.h"

#include "formats/SaveFile.h"

#include <QElapsedTimer>
#include <QFileDevice>
#include <QIODevice>
#include <QRegularExpression>
#include <QThread>
#include <QThreadPool>

#include <cerrno>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <new>
#include <poll.h>
#include <unistd.h>
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

// The lines of the input in pieces of bounded size: a line longer than any
// symbol's data is skipped to its end, never held whole. A pipe or a terminal
// is read as its bytes arrive and can be asked whether a read would wait.
class LineReader {
  public:
    // A line of more bytes than this holds more than kMaxDataLength characters:
    // UTF-8 takes at most three bytes for one UTF-16 unit, and the line end two.
    static constexpr qsizetype kLongest = 3 * kMaxDataLength + 2;

    enum class Next { Line, End, Failed, Cancelled };
    struct Line {
        QByteArray bytes;
        bool tooLong = false;
    };

    explicit LineReader(QIODevice& input) : m_input(input)
    {
        if (auto* file = qobject_cast<QFileDevice*>(&input); file && input.isSequential())
            m_fd = file->handle();
    }

    const QString& error() const { return m_error; }

    // Whether next() has a line or the end without waiting for the input.
    bool ready()
    {
        if (m_end || m_fd < 0 || m_buffer.indexOf('\n', m_start) >= 0)
            return true;
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

    Next next(Line& line, const std::atomic<bool>* cancel)
    {
        line = {};
        bool skipping = false;
        for (;;) {
            if (const qsizetype end = m_buffer.indexOf('\n', m_start); end >= 0) {
                if (!skipping)
                    line.bytes = m_buffer.mid(m_start, end + 1 - m_start);
                take(end + 1);
                return Next::Line;
            }
            if (m_buffer.size() - m_start > kLongest) {
                // Only where it ends is still of interest.
                skipping = line.tooLong = true;
                take(m_buffer.size());
            }
            if (m_end) {
                if (m_buffer.size() == m_start && !skipping)
                    return Next::End;
                if (!skipping)
                    line.bytes = m_buffer.mid(m_start); // a last line without its line end
                take(m_buffer.size());
                return Next::Line;
            }
            if (const Next failed = fill(cancel); failed != Next::Line)
                return failed;
        }
    }

  private:
    static constexpr qsizetype kPiece = 1 << 16;

    void take(qsizetype upTo)
    {
        m_start = upTo;
        // Kept from growing: what was taken goes once it is most of the buffer.
        if (m_start > kPiece && m_start * 2 > m_buffer.size()) {
            m_buffer.remove(0, m_start);
            m_start = 0;
        }
    }

    // One more piece of the input, or the end; Line when something was read.
    Next fill(const std::atomic<bool>* cancel)
    {
        const qsizetype old = m_buffer.size();
        m_buffer.resize(old + kPiece);
        qint64 n = 0;
        if (m_fd < 0) {
            n = m_input.read(m_buffer.data() + old, kPiece);
        } else {
            // Read as bytes arrive; waits are short so that a cancel, set by a
            // signal handler on any thread, is seen at once.
            for (;;) {
                if (isSet(cancel)) {
                    m_buffer.resize(old);
                    return Next::Cancelled;
                }
                // A signal ends a poll early whatever SA_RESTART says: look again.
                pollfd p{m_fd, POLLIN, 0};
                if (::poll(&p, 1, 100) <= 0)
                    continue;
                n = ::read(m_fd, m_buffer.data() + old, size_t(kPiece));
                if (n >= 0 || (errno != EINTR && errno != EAGAIN))
                    break;
            }
            if (n < 0)
                m_error = qt_error_string(errno);
        }
        m_buffer.resize(old + std::max<qint64>(n, 0));
        if (n > 0)
            return Next::Line;
        if (n < 0) {
            if (m_error.isEmpty())
                m_error = m_input.errorString();
            return Next::Failed;
        }
        m_end = true;
        return Next::Line;
    }

    QIODevice& m_input;
    int m_fd = -1;
    QByteArray m_buffer;
    qsizetype m_start = 0;
    bool m_end = false;
    QString m_error;
};

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
                const SymbolResult symbol = drawSymbol(*own, s.symbology, data, s.options);
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

    LineReader reader(input);
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
        const QString data = got.tooLong ? QString() : lineText(std::move(got.bytes));
        if (got.tooLong || data.size() > kMaxDataLength) {
            ++summary.lines;
            pending.push_back(ready({line, {}, {}, dataTooLongMessage(), {}}));
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

#include "jobs/LineReader.h"

#include <QFileDevice>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace output {

namespace {

// Read and dropped at a time once a buffer's front has been taken.
constexpr qsizetype kPiece = 1 << 16;

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

Utf8Text strictUtf8(QByteArrayView bytes)
{
    const auto byte = [&](qsizetype i) { return i < bytes.size() ? uchar(bytes[i]) : 0u; };
    const auto follows = [&](qsizetype i) { return (byte(i) & 0xC0) == 0x80; };
    for (qsizetype i = 0; i < bytes.size();) {
        const uint b = byte(i);
        // The shortest form only, no surrogates, nothing beyond U+10FFFF.
        qsizetype length = 0;
        if (b < 0x80)
            length = 1;
        else if (b >= 0xC2 && b <= 0xDF && follows(i + 1))
            length = 2;
        else if (b >= 0xE0 && b <= 0xEF && follows(i + 1) && follows(i + 2) &&
                 !(b == 0xE0 && byte(i + 1) < 0xA0) && !(b == 0xED && byte(i + 1) >= 0xA0))
            length = 3;
        else if (b >= 0xF0 && b <= 0xF4 && follows(i + 1) && follows(i + 2) && follows(i + 3) &&
                 !(b == 0xF0 && byte(i + 1) < 0x90) && !(b == 0xF4 && byte(i + 1) >= 0x90))
            length = 4;
        if (length == 0)
            return {{}, QStringLiteral("Invalid UTF-8 at byte %1: the data must be UTF-8 text").arg(i + 1)};
        i += length;
    }
    return {QString::fromUtf8(bytes), {}};
}

Utf8Text lineText(QByteArray bytes)
{
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    return strictUtf8(bytes);
}

LineReader::LineReader(QIODevice& input, qsizetype longest) : m_input(input), m_longest(longest)
{
    if (auto* file = qobject_cast<QFileDevice*>(&input); file && input.isSequential())
        m_fd = file->handle();
}

bool LineReader::ready()
{
    if (m_end || m_fd < 0 || m_buffer.indexOf('\n', m_start) >= 0)
        return true;
    pollfd p{m_fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

LineReader::Next LineReader::next(Line& line, const std::atomic<bool>* cancel)
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
        if (m_buffer.size() - m_start > m_longest) {
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

void LineReader::take(qsizetype upTo)
{
    m_start = upTo;
    // Kept from growing: what was taken goes once it is most of the buffer.
    if (m_start > kPiece && m_start * 2 > m_buffer.size()) {
        m_buffer.remove(0, m_start);
        m_start = 0;
    }
}

// One more piece of the input, or the end; Line when something was read.
LineReader::Next LineReader::fill(const std::atomic<bool>* cancel)
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
            if (cancel && cancel->load()) {
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

} // namespace output

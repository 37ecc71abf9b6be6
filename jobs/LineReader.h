#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>

class QIODevice;

namespace output {

// The lines of a file that can be read twice, counted without keeping them;
// -1 for a pipe or a terminal. Leaves the device at its start.
qint64 countLines(QIODevice& input);

// Text from bytes that must be UTF-8: a byte that is not, decoded, would
// become U+FFFD and put a different text in the symbol and its file name.
struct Utf8Text {
    QString text;
    QString error; // "Invalid UTF-8 at byte N: ...", N counted from 1; empty when valid
    bool ok() const { return error.isEmpty(); }
};
Utf8Text strictUtf8(QByteArrayView bytes);

// A line as read, without its line end (LF or CR LF), from UTF-8.
Utf8Text lineText(QByteArray bytes);

// The lines of the input in pieces of bounded size: a line longer than
// `longest` bytes is skipped to its end, never held whole. A pipe or a terminal
// is read as its bytes arrive and can be asked whether a read would wait.
class LineReader {
  public:
    enum class Next { Line, End, Failed, Cancelled };
    struct Line {
        QByteArray bytes; // with its line end; empty when too long
        bool tooLong = false;
    };

    LineReader(QIODevice& input, qsizetype longest);

    // Why the input could not be read to its end, after next() said Failed.
    const QString& error() const { return m_error; }

    // Whether next() has a line or the end without waiting for the input.
    bool ready();

    // The next line. A cancel, which may be set from a signal handler, is seen
    // while waiting for a pipe or a terminal.
    Next next(Line& line, const std::atomic<bool>* cancel);

  private:
    void take(qsizetype upTo);
    Next fill(const std::atomic<bool>* cancel);

    QIODevice& m_input;
    qsizetype m_longest;
    int m_fd = -1;
    QByteArray m_buffer;
    qsizetype m_start = 0;
    bool m_end = false;
    QString m_error;
};

} // namespace output

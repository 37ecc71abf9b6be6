#include "cli/CommandLine.h"

#include "jobs/BatchRunner.h"
#include "formats/Export.h"
#include "formats/FileName.h"
#include "jobs/Fonts.h"
#include "jobs/SymbolJob.h"
#include "verify/ExportCheck.h"

#include <QColor>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

#ifndef BARCODE_VERSION
#error "BARCODE_VERSION comes from the CMake project"
#endif

namespace cli {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr int kScreenDpi = 96;

// Qt's own window options, with and without a value; a run with nothing else
// opens the window.
const QStringList kQtValueOptions = {QStringLiteral("platform"),
                                     QStringLiteral("platformpluginpath"),
                                     QStringLiteral("platformtheme"),
                                     QStringLiteral("plugin"),
                                     QStringLiteral("qwindowgeometry"),
                                     QStringLiteral("qwindowicon"),
                                     QStringLiteral("qwindowtitle"),
                                     QStringLiteral("session"),
                                     QStringLiteral("display"),
                                     QStringLiteral("geometry"),
                                     QStringLiteral("name"),
                                     QStringLiteral("title"),
                                     QStringLiteral("style"),
                                     QStringLiteral("stylesheet"),
                                     QStringLiteral("visual"),
                                     QStringLiteral("ncols"),
                                     QStringLiteral("cmap")};
const QStringList kQtFlags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                              QStringLiteral("nograb"), QStringLiteral("dograb"), QStringLiteral("sync")};

// Every message may hold the user's data or a file name: shown escaped, so
// that none can drive the terminal.
void printError(const QString& text)
{
    QTextStream(stderr) << printable(text) << '\n';
}

int usageError(const QString& text)
{
    printError(QStringLiteral("barcode-generator: %1").arg(text));
    QTextStream(stderr) << "Try 'barcode-generator --help' for more.\n";
    return kUsage;
}

// The standard streams the caller closed. Each is held open on /dev/null
// before anything else opens a file, so that no file of the program's takes
// its number and nothing meant for a terminal lands in it.
struct ClosedStreams {
    bool input = false;
    bool output = false;
};

ClosedStreams holdClosedStreams()
{
    bool closed[3] = {};
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        closed[fd] = true;
        // The lowest free number: this one, as the lower ones are open by now.
        const int held = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
    return {closed[STDIN_FILENO], closed[STDOUT_FILENO]};
}

// Standard output with the help or the version on it: stdio keeps the text in
// its buffer, so a full disk shows only when it is flushed.
int finishStandardOutput(bool closed)
{
    if (closed) {
        printError(QStringLiteral("barcode-generator: standard output is closed"));
        return kFailed;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        printError(QStringLiteral("barcode-generator: standard output: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return kFailed;
    }
    return kSuccess;
}

// A colour the files can take: opaque. A colour with alpha would be drawn as
// if it had none ("transparent" is black); leaving the background out is
// what --transparent is for.
QString readColour(const QString& option, const QString& text, QColor& colour)
{
    colour = QColor::fromString(text);
    if (!colour.isValid())
        return QStringLiteral("'%1' is not a colour").arg(text);
    if (colour.alpha() != 255)
        return QStringLiteral("--%1 '%2' is not opaque: colours are drawn solid (--transparent leaves "
                              "the background out)")
            .arg(option, text);
    return {};
}

// Files of pixels hold whole pixels per module: say so when that makes the
// module visibly another width than asked, before a batch writes thousands.
void reportModuleRounding(const output::ExportSettings& file, const output::ExportPlan& p)
{
    if (const QString rounded = output::moduleRounding(p, file.moduleMm); !rounded.isEmpty())
        printError(QStringLiteral("barcode-generator: warning: a module %1 mm wide at %2 dpi: %3")
                       .arg(QString::number(file.moduleMm, 'g', 4))
                       .arg(file.dpi)
                       .arg(rounded));
}

QString typeNames()
{
    QStringList names;
    for (const output::SymbologyInfo& s : output::kSymbologies)
        if (s.visible)
            names << QString::fromLatin1(s.cliName);
    return names.join(QStringLiteral(", "));
}

struct Options {
    QCommandLineOption type{{QStringLiteral("t"), QStringLiteral("type")},
                            QStringLiteral("Symbology: %1 (default code39).").arg(typeNames()),
                            QStringLiteral("TYPE"),
                            QStringLiteral("code39")};
    QCommandLineOption data{{QStringLiteral("d"), QStringLiteral("data")},
                            QStringLiteral("The data to encode."),
                            QStringLiteral("DATA")};
    QCommandLineOption output{
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral(
            "The file to write; png, svg, pdf, bmp or tiff by its extension; - writes PNG to "
            "standard output. With --batch a pattern: {n} the line number, {data} the line's data."),
        QStringLiteral("FILE")};
    QCommandLineOption batch{QStringLiteral("batch"),
                             QStringLiteral("One symbol per line of FILE (- for standard input)."),
                             QStringLiteral("FILE")};
    QCommandLineOption noOptimize{QStringLiteral("no-optimize"),
                                  QStringLiteral("Clear \"Optimize for Printing\" (linear symbologies).")};
    QCommandLineOption noLabel{QStringLiteral("no-label"),
                               QStringLiteral("Clear \"Add Label\" (linear symbologies).")};
    QCommandLineOption check{QStringLiteral("check"),
                             QStringLiteral("Check \"Add Check Character\" (Code 39, Interleaved 2 of 5).")};
    QCommandLineOption moduleMm{QStringLiteral("module-mm"),
                                QStringLiteral("Module width in millimetres (default: one pixel at 96 dpi)."),
                                QStringLiteral("MM")};
    QCommandLineOption dpi{
        QStringLiteral("dpi"),
        QStringLiteral("Resolution of a PNG, BMP or TIFF file, and of the picture an SVG or PDF "
                       "is read back from (default 96)."),
        QStringLiteral("N")};
    QCommandLineOption fg{QStringLiteral("fg"),
                          QStringLiteral("Bar colour: a name or #rrggbb (default black)."),
                          QStringLiteral("COLOR")};
    QCommandLineOption bg{QStringLiteral("bg"),
                          QStringLiteral("Background colour: a name or #rrggbb (default white)."),
                          QStringLiteral("COLOR")};
    QCommandLineOption transparent{QStringLiteral("transparent"),
                                   QStringLiteral("No background (PNG, SVG, PDF).")};
    QCommandLineOption font{QStringLiteral("font"), QStringLiteral("Label font family (default Tahoma)."),
                            QStringLiteral("FAMILY")};
    QCommandLineOption force{QStringLiteral("force"), QStringLiteral("Replace existing files.")};
    QCommandLineOption jobs{QStringLiteral("jobs"),
                            QStringLiteral("Workers for --batch (default: one per core)."),
                            QStringLiteral("N")};
    QCommandLineOption quiet{QStringLiteral("quiet"), QStringLiteral("No progress line for --batch.")};
    QCommandLineOption verify{
        QStringLiteral("verify"),
        QStringLiteral("Decode each symbol before it is written; one that does not read back as its data is "
                       "not written and fails. Without it every symbol is still checked, with a warning.")};
    QCommandLineOption noVerify{
        QStringLiteral("no-verify"),
        QStringLiteral("Do not decode the symbols written: a batch runs faster, but a symbol that will not "
                       "scan goes unnoticed.")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};

    void addTo(QCommandLineParser& parser) const
    {
        parser.addOptions({type,     data,  output, batch,    noOptimize,  noLabel, check,
                           moduleMm, dpi,   fg,     bg,       transparent, font,    force,
                           jobs,     quiet, verify, noVerify, help,        version});
    }
};

const char* const kDescription =
    "Draws a barcode without opening the window, exactly as the window draws it.\n"
    "Without arguments the window opens.\n\n"
    "Examples:\n"
    "  barcode-generator -t code128 -d 'HELLO 123' -o hello.png\n"
    "  barcode-generator -t ean13 -d 501234567890 --module-mm 0.33 --dpi 300 -o ean.pdf\n"
    "  barcode-generator -t code39 --batch items.txt -o 'labels/{n}.png'\n"
    "  seq 100001 100100 | barcode-generator -t itf --batch - -o 'itf-{data}.svg'\n\n"
    "With --batch a file's lines are counted first and {n} is padded to the count's width;\n"
    "lines from standard input are numbered without padding. No file is replaced without\n"
    "--force. Exit status: 0 all written, 1 bad data or a file not written, 2 usage error.";

// Where the window greys a box the option cannot change it; say so rather
// than drawing something else than was asked without a word.
void reportOverruled(output::Symbology symbology, const std::vector<int>& overruled,
                     const std::array<bool, 3>& given)
{
    static const char* const asked[] = {"--no-optimize", "--no-label", "--check"};
    for (const int box : overruled)
        if (given[size_t(box)])
            printError(QStringLiteral("barcode-generator: %1 is fixed for %2 (\"%3\" %4); %5 ignored")
                           .arg(QLatin1String(asked[box]), output::symbologyTitle(symbology),
                                QLatin1String(output::kBoxCaptions[size_t(box)]),
                                box == 2 && symbology == output::Symbology::Codabar
                                    ? QStringLiteral("clear")
                                    : QStringLiteral("checked"),
                                QLatin1String(asked[box])));
}

// Straight to the descriptor, and closed: a write held in stdio's buffer
// fails (a full disk) only at exit, where nobody looks, and some file systems
// tell of a failed write only when the file is closed.
int writeToStdout(const QByteArray& bytes)
{
    const auto failed = [] {
        printError(QStringLiteral("barcode-generator: standard output: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return kFailed;
    };
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, at, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return failed();
        at += n;
        left -= n;
    }
    if (::close(STDOUT_FILENO) != 0 && errno != EINTR)
        return failed();
    return kSuccess;
}

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

// A placeholder the pattern does not know would name every file after a typo.
QString patternError(const QString& pattern)
{
    if (const QString unknown = output::unknownPlaceholder(pattern); !unknown.isEmpty())
        return QStringLiteral("the --output pattern has %1: the placeholders are {n} and {data}")
            .arg(unknown);
    return {};
}

} // namespace

QString printable(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u != 0x7F && !(u >= 0x80 && u <= 0x9F) && !output::isDirectionControl(c)) {
            shown += c;
            continue;
        }
        static constexpr std::pair<char16_t, char> named[] = {{0x07, 'a'}, {0x08, 'b'}, {0x09, 't'},
                                                              {0x0A, 'n'}, {0x0B, 'v'}, {0x0C, 'f'},
                                                              {0x0D, 'r'}, {0x1B, 'e'}};
        const auto name = std::find_if(std::begin(named), std::end(named),
                                       [u](const auto& n) { return n.first == u; });
        if (name != std::end(named))
            shown += QLatin1Char('\\'), shown += QLatin1Char(name->second);
        else if (u <= 0xFF)
            shown += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            shown += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
    }
    return shown;
}

bool wantsCommandLine(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        QString arg = QString::fromLocal8Bit(argv[i]);
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-"))
            return true;
        arg.remove(0, arg.startsWith(QLatin1String("--")) ? 2 : 1);
        if (kQtFlags.contains(arg))
            continue;
        if (const qsizetype eq = arg.indexOf(QLatin1Char('='));
            eq > 0 && kQtValueOptions.contains(arg.left(eq)))
            continue;
        if (kQtValueOptions.contains(arg)) {
            ++i;
            continue;
        }
        return true;
    }
    return false;
}

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

int run(int argc, char** argv)
{
    // First of all: the application object below already opens files.
    const ClosedStreams closed = holdClosedStreams();
    // A command prints its own messages and nothing else: scripts and cron
    // collect standard error, and Qt's notes about the session (such as
    // XDG_RUNTIME_DIR not set) are not theirs to read. What stops the program
    // is still told, and whoever asks Qt for its messages gets them all.
    static QtMessageHandler qtsOwn = nullptr;
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES") && !qEnvironmentVariableIsSet("QT_DEBUG_PLUGINS"))
        qtsOwn = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type != QtCriticalMsg && type != QtFatalMsg)
                return;
            if (qtsOwn)
                qtsOwn(type, context, text);
            else
                std::fprintf(stderr, "%s\n", qPrintable(text));
        });
    // No window is ever shown: a display server is neither needed nor asked for.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("barcode-generator"));
    QGuiApplication::setApplicationVersion(QStringLiteral(BARCODE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const Options o;
    o.addTo(parser);
    if (!parser.parse(QGuiApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(o.help)) {
        QTextStream(stdout) << parser.helpText();
        return finishStandardOutput(closed.output);
    }
    if (parser.isSet(o.version)) {
        QTextStream(stdout) << "barcode-generator " << BARCODE_VERSION << '\n';
        return finishStandardOutput(closed.output);
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    const auto symbology = output::symbologyFromName(parser.value(o.type));
    if (!symbology)
        return usageError(
            QStringLiteral("unknown type '%1' (one of %2)").arg(parser.value(o.type), typeNames()));
    const bool batch = parser.isSet(o.batch);
    if (batch == parser.isSet(o.data))
        return usageError(batch ? QStringLiteral("--data and --batch exclude each other")
                                : QStringLiteral("--data or --batch is needed"));
    if (!parser.isSet(o.output))
        return usageError(QStringLiteral("--output is needed"));
    const QString target = parser.value(o.output);
    if (target == QLatin1String("-") && closed.output) {
        printError(QStringLiteral("barcode-generator: standard output is closed: nothing written"));
        return kFailed;
    }
    if (batch && parser.value(o.batch) == QLatin1String("-") && closed.input) {
        printError(QStringLiteral("barcode-generator: standard input is closed: no lines to read"));
        return kFailed;
    }

    // Without a module width a module is one pixel on a 96-dpi screen: the
    // window's picture. A resolution alone keeps that size.
    output::ExportSettings file{.moduleMm = kMmPerInch / kScreenDpi, .dpi = kScreenDpi};
    if (target == QLatin1String("-")) {
        if (batch)
            return usageError(QStringLiteral("--batch writes files: --output needs a pattern, not -"));
        file.format = output::Format::Png;
    } else if (const auto format = output::formatFromSuffix(QFileInfo(target).suffix());
               format && output::isAvailable(*format)) {
        file.format = *format;
    } else {
        QStringList suffixes;
        for (const output::Format f : output::availableFormats())
            suffixes << output::formatSuffix(f);
        return usageError(QStringLiteral("'%1': the extension must be one of %2")
                              .arg(target, suffixes.join(QStringLiteral(", "))));
    }
    if (parser.isSet(o.moduleMm)) {
        bool ok = false;
        file.moduleMm = parser.value(o.moduleMm).toDouble(&ok);
        if (!ok)
            return usageError(QStringLiteral("--module-mm takes a width in millimetres"));
    }
    if (parser.isSet(o.dpi)) {
        bool ok = false;
        file.dpi = parser.value(o.dpi).toInt(&ok);
        if (!ok)
            return usageError(QStringLiteral("--dpi takes a whole number of dots per inch"));
    }
    for (const auto& [option, colour] :
         {std::pair{&o.fg, &file.foreground}, std::pair{&o.bg, &file.background}}) {
        if (!parser.isSet(*option))
            continue;
        if (const QString error = readColour(option->names().constLast(), parser.value(*option), *colour);
            !error.isEmpty())
            return usageError(error);
    }
    file.transparent = parser.isSet(o.transparent);
    // The exporter's own limits, before anything is drawn: a batch would
    // otherwise fail the same way on every line.
    if (const output::ExportPlan p = output::plan(QSize(1, 1), file); !p.ok()) {
        return usageError(p.error);
    } else {
        if (!p.warning.isEmpty())
            printError(QStringLiteral("barcode-generator: warning: %1").arg(p.warning));
        reportModuleRounding(file, p);
    }
    // A vector file is read back from its picture at --dpi: that resolution must
    // be one a picture can have too.
    if (output::isVector(file.format)) {
        output::ExportSettings pixels = file;
        pixels.format = output::Format::Png;
        if (const output::ExportPlan p = output::plan(QSize(1, 1), pixels); !p.ok())
            return usageError(p.error);
    }
    QString font;
    if (parser.isSet(o.font)) {
        output::ensureTahoma();
        font = parser.value(o.font);
        if (!QFontDatabase::hasFamily(font))
            return usageError(QStringLiteral("no font family '%1' is installed").arg(font));
    }
    int jobs = 0;
    if (parser.isSet(o.jobs)) {
        bool ok = false;
        jobs = parser.value(o.jobs).toInt(&ok);
        if (!ok || jobs < 1 || jobs > 256)
            return usageError(QStringLiteral("--jobs takes a whole number from 1 to 256"));
    }

    if (parser.isSet(o.verify) && parser.isSet(o.noVerify))
        return usageError(QStringLiteral("--verify and --no-verify cannot be given together"));
    const bool checked = !parser.isSet(o.noVerify);

    const linear::Options asked{.optimize = parser.isSet(o.noOptimize) ? 0 : 1,
                                .label = parser.isSet(o.noLabel) ? 0 : 1,
                                .check = parser.isSet(o.check) ? 1 : 0};
    reportOverruled(*symbology, output::settleOptions(*symbology, asked).overruled,
                    {parser.isSet(o.noOptimize), parser.isSet(o.noLabel), parser.isSet(o.check)});

    // Every picture is read back as it is written: a warning by default, a
    // refused file with --verify.
    const output::ReadBack readBack =
        checked
            ? verify::lineCheck(*symbology, output::settleOptions(*symbology, asked).options.optimize != 0)
            : output::ReadBack();

    if (!batch) {
        output::SymbolSurfaces surfaces(font);
        const output::SymbolResult symbol =
            output::drawSymbol(surfaces, *symbology, parser.value(o.data), asked);
        if (!symbol.ok()) {
            printError(symbol.message);
            return kFailed;
        }
        const output::CheckedFile made =
            output::encodeChecked(symbol, file, readBack, parser.isSet(o.verify));
        const output::Encoded& encoded = made.file;
        if (!encoded.ok()) {
            printError(QStringLiteral("barcode-generator: %1 not written: %2").arg(target, encoded.error));
            return kFailed;
        }
        if (!made.unread.isEmpty())
            printError(QStringLiteral("barcode-generator: warning: %1").arg(made.unread));
        if (target == QLatin1String("-"))
            return writeToStdout(encoded.bytes);
        const output::SaveResult result =
            output::saveBytes(encoded.bytes, target, {.keepExisting = !parser.isSet(o.force)});
        if (result.existed) {
            printError(QStringLiteral("barcode-generator: %1 exists (--force replaces it)").arg(target));
            return kFailed;
        }
        if (!result.saved) {
            printError(QStringLiteral("barcode-generator: %1 not written: %2").arg(target, result.error));
            return kFailed;
        }
        return kSuccess;
    }

    // Batches refuse what would fail on every line before reading a line.
    if (const QString error = patternError(target); !error.isEmpty())
        return usageError(error);
    if (!output::patternNamesEachLine(target))
        return usageError(
            QStringLiteral("the --output pattern needs {n} or {data} to name each line's file"));

    QFile input;
    const QString source = parser.value(o.batch);
    const bool opened = source == QLatin1String("-")
                            ? input.open(stdin, QIODevice::ReadOnly)
                            : (input.setFileName(source), input.open(QIODevice::ReadOnly));
    if (!opened) {
        printError(QStringLiteral("barcode-generator: %1: %2").arg(source, input.errorString()));
        return kFailed;
    }
    const qint64 total = output::countLines(input);

    output::BatchSettings settings{.symbology = *symbology,
                                   .options = asked,
                                   .labelFont = font,
                                   .file = file,
                                   .pattern = target,
                                   .replace = parser.isSet(o.force),
                                   .jobs = jobs};
    settings.check = readBack;
    settings.refuseUnread = parser.isSet(o.verify);
    const bool showProgress = !parser.isSet(o.quiet) && ::isatty(STDERR_FILENO);
    QTextStream err(stderr);
    qint64 shownAt = -1;
    qint64 shownDone = -1;
    output::BatchProgress last;
    auto clearProgress = [&] {
        if (shownAt >= 0)
            err << "\r\x1b[K" << Qt::flush;
    };
    const BatchSignals interrupts;
    const output::BatchSummary summary = output::BatchRunner(settings).run(
        input, total,
        [&](const output::LineOutcome& outcome) {
            clearProgress();
            if (outcome.written)
                err << QStringLiteral("line %1: warning: %2: %3")
                           .arg(outcome.line)
                           .arg(printable(outcome.path), printable(outcome.unread));
            else
                err << QStringLiteral("line %1: %2").arg(outcome.line).arg(printable(outcome.message));
            err << '\n' << Qt::flush;
            shownAt = -1;
        },
        [&](const output::BatchProgress& p) {
            if (!showProgress)
                return;
            last = p;
            // A few redraws a second are enough to read; more only cost time.
            const qint64 tenths = qint64(p.seconds * 10);
            if (tenths == shownAt && p.done != p.total)
                return;
            shownAt = tenths;
            shownDone = p.done;
            err << '\r' << progressLine(p) << "\x1b[K" << Qt::flush;
        },
        interrupts.stop());
    if (showProgress && last.done > 0) {
        // The last count stays on the screen, whether or not it was drawn yet.
        if (shownDone != last.done || shownAt < 0)
            err << '\r' << progressLine(last) << "\x1b[K";
        err << '\n' << Qt::flush;
    }
    if (const std::optional<int> status = batchCutShort(summary, interrupts, source))
        return *status;
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

} // namespace cli

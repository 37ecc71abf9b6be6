#include "cli/CommandLine.h"

#include "cli/Batch.h"
#include "cli/Messages.h"
#include "cli/OneSymbol.h"
#include "cli/Options.h"
#include "cli/Sheets.h"
#include "jobs/LineReader.h"
#include "verify/ExportCheck.h"

#include <QGuiApplication>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <optional>
#include <unistd.h>

#ifndef BARCODE_VERSION
#error "BARCODE_VERSION comes from the CMake project"
#endif

namespace cli {

namespace {

// Qt's own window options, with and without a value; a run with nothing else
// opens the window. Constant data: the window's start pays nothing for them.
constexpr QLatin1String kQtValueOptions[] = {QLatin1String("platform"),
                                             QLatin1String("platformpluginpath"),
                                             QLatin1String("platformtheme"),
                                             QLatin1String("plugin"),
                                             QLatin1String("qwindowgeometry"),
                                             QLatin1String("qwindowicon"),
                                             QLatin1String("qwindowtitle"),
                                             QLatin1String("session"),
                                             QLatin1String("display"),
                                             QLatin1String("geometry"),
                                             QLatin1String("name"),
                                             QLatin1String("title"),
                                             QLatin1String("style"),
                                             QLatin1String("stylesheet"),
                                             QLatin1String("visual"),
                                             QLatin1String("ncols"),
                                             QLatin1String("cmap")};
constexpr QLatin1String kQtFlags[] = {QLatin1String("reverse"), QLatin1String("widgetcount"),
                                      QLatin1String("nograb"), QLatin1String("dograb"),
                                      QLatin1String("sync")};

template <std::size_t N> bool isOneOf(const QString& name, const QLatin1String (&names)[N])
{
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// Each standard stream the caller closed is held open on /dev/null before
// anything else opens a file, so that no file of the program's takes its
// number and nothing meant for a terminal lands in it.
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

// A command prints its own messages and nothing else: scripts and cron
// collect standard error, and Qt's notes about the session (such as
// XDG_RUNTIME_DIR not set) are not theirs to read. What stops the program
// is still told, and whoever asks Qt for its messages gets them all.
QtMessageHandler g_qtsOwn = nullptr;

void keepQtsNotesOut()
{
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES") || qEnvironmentVariableIsSet("QT_DEBUG_PLUGINS"))
        return;
    g_qtsOwn =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type != QtCriticalMsg && type != QtFatalMsg)
                return;
            if (g_qtsOwn)
                g_qtsOwn(type, context, text);
            else
                std::fprintf(stderr, "%s\n", qPrintable(text));
        });
}

int refuse(const Refusal& refusal)
{
    printError(QStringLiteral("barcode-generator: %1").arg(refusal.message));
    if (refusal.status == kUsage)
        QTextStream(stderr) << "Try 'barcode-generator --help' for more.\n";
    return refusal.status;
}

// Every picture is read back as it is written: a warning by default, a
// refused file with --verify.
output::ReadBack readBackFor(const Settings& s)
{
    if (!s.readBack)
        return output::ReadBack();
    // The library's drawing is read by the library kind's decoder, an add-on with it.
    if (const zintsym::Kind* kind = output::drawingKind(s.symbology, s.library)) {
        // --verify writes only what was read back: with nothing to read it,
        // every symbol is refused, each where its file would have been written.
        if (s.verify && !kind->decoder)
            return [why = verifyRefusal(s)](const QImage&, const QString&) { return why; };
        return verify::lineCheck(*kind);
    }
    return verify::lineCheck(s.symbology, output::settleOptions(s.symbology, s.asked).options.optimize != 0);
}

// Without --verify a symbology no decoder reads is written unread: said once,
// neither as read nor as a failure. Under --verify readBackFor refuses it.
void sayWhenNotChecked(const Settings& s)
{
    if (!s.readBack || s.verify)
        return;
    if (const QString why = notCheckedWhy(s); !why.isEmpty())
        printError(QStringLiteral("barcode-generator: note: %1").arg(why));
}

} // namespace

bool wantsCommandLine(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        QString arg = QString::fromLocal8Bit(argv[i]);
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-"))
            return true;
        arg.remove(0, arg.startsWith(QLatin1String("--")) ? 2 : 1);
        if (isOneOf(arg, kQtFlags))
            continue;
        if (const qsizetype eq = arg.indexOf(QLatin1Char('='));
            eq > 0 && isOneOf(arg.left(eq), kQtValueOptions))
            continue;
        if (isOneOf(arg, kQtValueOptions)) {
            ++i;
            continue;
        }
        return true;
    }
    return false;
}

namespace {

// The data argument's bytes as given, found beside its option: Qt's decoding
// of the arguments has already turned what is not UTF-8 into U+FFFD.
std::optional<QByteArray> dataBytes(int argc, char** argv, const QString& data)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        for (const QByteArrayView prefix : {QByteArrayView("--data="), QByteArrayView("-d")})
            if (arg.startsWith(prefix) && arg.size() > prefix.size() &&
                QString::fromLocal8Bit(arg.sliced(prefix.size())) == data)
                return arg.sliced(prefix.size()).toByteArray();
        const QByteArrayView before = i > 1 ? QByteArrayView(argv[i - 1]) : QByteArrayView();
        if ((before == "-d" || before == "--data") && QString::fromLocal8Bit(arg) == data)
            return arg.toByteArray();
    }
    return std::nullopt;
}

// The command the arguments ask for, in the application made for it.
int act(const ClosedStreams& closed, int argc, char** argv)
{
    const ParsedArguments parsed = parseArguments(QGuiApplication::arguments(), closed);
    for (const QString& warning : parsed.warnings)
        printError(QStringLiteral("barcode-generator: %1").arg(warning));
    if (parsed.refusal)
        return refuse(*parsed.refusal);
    const Settings& settings = parsed.settings;
    // Data that is not UTF-8 would be encoded as other text than was given.
    if (settings.data.contains(QChar(QChar::ReplacementCharacter)))
        if (const std::optional<QByteArray> bytes = dataBytes(argc, argv, settings.data)) {
            if (const output::Utf8Text text = output::strictUtf8(*bytes); !text.ok()) {
                printError(text.error);
                return kFailed;
            }
        }
    switch (settings.action) {
    case Action::Help:
    case Action::Version:
    case Action::ListTypes: return showOnStandardOutput(settings.shown, closed.output);
    case Action::OneSymbol: {
        const int status = writeOneSymbol(settings, readBackFor(settings));
        if (status == kSuccess)
            sayWhenNotChecked(settings);
        return status;
    }
    case Action::Batch: {
        const int status = runBatch(settings, readBackFor(settings));
        sayWhenNotChecked(settings);
        return status;
    }
    case Action::Sheet: return writeSheet(settings, readBackFor(settings));
    case Action::ListSheets: return listSheets(settings, closed.output);
    }
    return kFailed;
}

// Tearing the application down costs more than a small symbol: Qt's
// fontconfig database, never read for a symbol without text, reads every
// fontconfig file at its end only to free them. By now every file is in place
// and closed, and standard output was flushed and checked where it was
// written, so the process ends here. Under a sanitizer it ends as usual, for
// the leak check that runs at exit.
int leave(int status)
{
#if defined(__SANITIZE_ADDRESS__)
    return status;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return status;
#endif
#endif
    if (std::fflush(nullptr) != 0 && status == kSuccess) {
        printError(QStringLiteral("barcode-generator: standard output: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno))));
        status = kFailed;
    }
    std::_Exit(status);
}

} // namespace

int run(int argc, char** argv)
{
    // First of all: the application object below already opens files.
    const ClosedStreams closed = holdClosedStreams();
    keepQtsNotesOut();
    // No window is ever shown: a display server is neither needed nor asked for.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("barcode-generator"));
    QGuiApplication::setApplicationVersion(QStringLiteral(BARCODE_VERSION));

    return leave(act(closed, argc, argv));
}

} // namespace cli

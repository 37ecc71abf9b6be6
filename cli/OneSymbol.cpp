#include "cli/OneSymbol.h"

#include "cli/Messages.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace cli {

namespace {

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

} // namespace

int writeOneSymbol(const Settings& s, const output::ReadBack& readBack)
{
    output::SymbolSurfaces surfaces(s.font);
    const output::SymbolResult symbol = output::drawChosen(surfaces, s.symbology, s.asked, s.library, s.data);
    if (!symbol.ok()) {
        printError(commandLineWords(symbol.message));
        return kFailed;
    }
    const output::CheckedFile made = output::encodeChecked(symbol, s.file, readBack, s.verify);
    const output::Encoded& encoded = made.file;
    if (!encoded.ok()) {
        printError(QStringLiteral("barcode-generator: %1 not written: %2").arg(s.target, encoded.error));
        return kFailed;
    }
    if (!made.unread.isEmpty())
        printError(QStringLiteral("barcode-generator: warning: %1").arg(made.unread));
    if (s.target == QLatin1String("-"))
        return writeToStdout(encoded.bytes);
    const output::SaveResult result =
        output::saveBytes(encoded.bytes, s.target, {.keepExisting = !s.replace});
    if (result.existed) {
        printError(QStringLiteral("barcode-generator: %1 exists (--force replaces it)").arg(s.target));
        return kFailed;
    }
    if (!result.saved) {
        printError(QStringLiteral("barcode-generator: %1 not written: %2").arg(s.target, result.error));
        return kFailed;
    }
    return kSuccess;
}

} // namespace cli

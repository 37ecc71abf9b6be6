#include "cli/Messages.h"

#include "cli/Options.h"
#include "formats/FileName.h"
#include "jobs/Choice.h"
#include "jobs/SymbolJob.h"
#include "verify/ScanCheck.h"

#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <algorithm>
#include <iterator>
#include <utility>

namespace cli {

void printError(const QString& text)
{
    QTextStream(stderr) << printable(text) << '\n';
}

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
        const auto name =
            std::find_if(std::begin(named), std::end(named), [u](const auto& n) { return n.first == u; });
        if (name != std::end(named))
            shown += QLatin1Char('\\'), shown += QLatin1Char(name->second);
        else if (u <= 0xFF)
            shown += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            shown += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
    }
    return shown;
}

int showOnStandardOutput(const QString& text, bool closed)
{
    QTextStream(stdout) << text;
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

QString notCheckedWhy(const Settings& s)
{
    const zintsym::Kind* kind = output::drawingKind(s.symbology, s.library);
    if (!kind || kind->decoder)
        return {};
    return verify::Verdict::notChecked(QString::fromUtf8(kind->title)).headline();
}

QString verifyRefusal(const Settings& s)
{
    return QStringLiteral("%1 (--verify writes only symbols that read back)").arg(notCheckedWhy(s));
}

QString commandLineWords(const QString& message)
{
    if (message == output::dataTooLongMessage())
        return QStringLiteral("The data is longer than %1 characters, the most a symbol takes")
            .arg(output::kMaxDataLength);
    return message;
}

} // namespace cli

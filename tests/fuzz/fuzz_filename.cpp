// The file-name rule: same length, nothing a Linux or Windows file name
// refuses, every allowed character kept.
#include "FuzzInput.h"
#include "output/FileName.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Input in = fuzz::read(data, size);
    const QString safe = output::safeFileName(in.text);
    FUZZ_REQUIRE(safe.size() == in.text.size());
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (qsizetype i = 0; i < safe.size(); ++i) {
        const QChar c = safe.at(i);
        FUZZ_REQUIRE(c.unicode() >= 0x20 && c.unicode() != 0x7F && !forbidden.contains(c));
        if (c != in.text.at(i))
            FUZZ_REQUIRE(c == u'_');
    }
    // Nothing can climb out of the folder it is saved in.
    FUZZ_REQUIRE(!(QStringLiteral("TSL_") + safe + QStringLiteral(".bmp")).contains(u'/'));
    return 0;
}

// The file-name rule: same length, nothing a Linux or Windows file name
// refuses, no character that reorders how the name is shown, every other
// character kept.
#include "FuzzInput.h"
#include "formats/FileName.h"

#include <cstdio>
#include <cstdlib>

namespace {
// The Unicode bidirectional controls, listed here again so that a range the
// rule gets wrong is not checked against itself.
bool reorders(char16_t u)
{
    static constexpr char16_t controls[] = {0x061C, 0x200E, 0x200F, 0x202A, 0x202B, 0x202C,
                                            0x202D, 0x202E, 0x2066, 0x2067, 0x2068, 0x2069};
    for (const char16_t c : controls)
        if (u == c)
            return true;
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Input in = fuzz::read(data, size);
    const QString safe = output::safeFileName(in.text);
    FUZZ_REQUIRE(safe.size() == in.text.size());
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (qsizetype i = 0; i < safe.size(); ++i) {
        const QChar c = safe.at(i);
        FUZZ_REQUIRE(c.unicode() >= 0x20 && c.unicode() != 0x7F && !forbidden.contains(c));
        FUZZ_REQUIRE(!reorders(c.unicode()));
        if (c != in.text.at(i))
            FUZZ_REQUIRE(c == u'_');
    }
    // What the question shows of the input changes only the controls.
    const QString shown = output::withoutDirectionControls(in.text);
    FUZZ_REQUIRE(shown.size() == in.text.size());
    for (qsizetype i = 0; i < shown.size(); ++i)
        FUZZ_REQUIRE(shown.at(i) == (reorders(in.text.at(i).unicode()) ? QChar(u'_') : in.text.at(i)));
    // Nothing can climb out of the folder it is saved in.
    FUZZ_REQUIRE(!(QStringLiteral("TSL_") + safe + QStringLiteral(".bmp")).contains(u'/'));
    return 0;
}

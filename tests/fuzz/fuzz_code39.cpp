// Code 39: a framed symbol of nine-element characters with three wide each, or
// the message that names the first character outside the set.
#include "FuzzInput.h"
#include "linear/Code39Encoder.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Input in = fuzz::read(data, size);
    const bool check = in.flags & 1;
    const linear::LinearSymbol s = linear::encodeCode39(in.text, check);
    static const QString set = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");
    const QString upper = in.text.toUpper();
    if (!s.valid()) {
        FUZZ_REQUIRE(s.error.endsWith(QStringLiteral(" is Invalid")));
        const QString bad = s.error.chopped(11);
        const qsizetype at = upper.indexOf(bad);
        FUZZ_REQUIRE(at >= 0 && !set.contains(bad.at(0)));
        for (qsizetype i = 0; i < at; ++i)
            FUZZ_REQUIRE(set.contains(upper.at(i)));
        return 0;
    }
    for (const QChar c : upper)
        FUZZ_REQUIRE(set.contains(c));
    FUZZ_REQUIRE(s.text == upper);
    FUZZ_REQUIRE(s.check.size() == (check ? 1 : 0));
    const qsizetype characters = upper.size() + s.check.size() + 2; // with start and stop
    FUZZ_REQUIRE(qsizetype(s.elements.size()) == characters * 10 - 1);
    for (qsizetype c = 0; c < characters; ++c) {
        const std::string group = s.elements.substr(size_t(c * 10), 9);
        int wide = 0;
        for (char e : group) {
            FUZZ_REQUIRE(e == '0' || e == '1');
            wide += e == '1';
        }
        FUZZ_REQUIRE(wide == 3);
        if (c + 1 < characters)
            FUZZ_REQUIRE(s.elements[size_t(c * 10 + 9)] == '0'); // narrow gap
    }
    FUZZ_REQUIRE(s.elements.substr(0, 9) == "010010100");
    FUZZ_REQUIRE(s.elements.substr(s.elements.size() - 9) == "010010100");
    return 0;
}

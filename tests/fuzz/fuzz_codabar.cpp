// Codabar: data characters from the set between the "a" start and stop, seven
// elements each with a narrow gap, or the message naming the first bad one.
#include "FuzzInput.h"
#include "linear/CodabarEncoder.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Input in = fuzz::read(data, size);
    const linear::LinearSymbol s = linear::encodeCodabar(in.text);
    static const QString set = QStringLiteral("0123456789-$:/.+");
    if (!s.valid()) {
        FUZZ_REQUIRE(s.error.endsWith(QStringLiteral(" is Invalid")));
        const QString bad = s.error.chopped(11);
        const qsizetype at = in.text.indexOf(bad);
        FUZZ_REQUIRE(at >= 0 && !set.contains(bad.at(0)));
        for (qsizetype i = 0; i < at; ++i)
            FUZZ_REQUIRE(set.contains(in.text.at(i)));
        return 0;
    }
    for (const QChar c : in.text)
        FUZZ_REQUIRE(set.contains(c));
    const qsizetype characters = in.text.size() + 2;
    FUZZ_REQUIRE(qsizetype(s.elements.size()) == characters * 8 - 1);
    for (qsizetype c = 0; c < characters; ++c) {
        int wide = 0;
        for (size_t j = 0; j < 7; ++j) {
            const char e = s.elements[size_t(c * 8) + j];
            FUZZ_REQUIRE(e == '0' || e == '1');
            wide += e == '1';
        }
        FUZZ_REQUIRE(wide == 2 || wide == 3);
        if (c + 1 < characters)
            FUZZ_REQUIRE(s.elements[size_t(c * 8 + 7)] == '0');
    }
    FUZZ_REQUIRE(s.elements.substr(0, 7) == "0011010");
    FUZZ_REQUIRE(s.elements.substr(s.elements.size() - 7) == "0011010");
    return 0;
}

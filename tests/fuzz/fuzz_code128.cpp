// Code 128: Start B, one eleven-module character per input character, the
// check character and the thirteen-module stop, or the one message.
#include "FuzzInput.h"
#include "linear/Code128Encoder.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Input in = fuzz::read(data, size);
    const linear::LinearSymbol s = linear::encodeCode128(in.text);
    bool printable = true;
    for (const QChar c : in.text)
        printable = printable && c.unicode() >= 32 && c.unicode() <= 126;
    if (!printable) {
        FUZZ_REQUIRE(s.error == QStringLiteral("Invalid Character(s)"));
        return 0;
    }
    FUZZ_REQUIRE(s.valid());
    FUZZ_REQUIRE(s.text == in.text);
    const qsizetype groups = in.text.size() + 2; // start, data, check
    FUZZ_REQUIRE(qsizetype(s.elements.size()) == groups * 6 + 7);
    for (size_t i = 0; i < s.elements.size(); ++i)
        FUZZ_REQUIRE(s.elements[i] >= '1' && s.elements[i] <= '4');
    for (qsizetype g = 0; g <= groups; ++g) {
        const size_t count = g == groups ? 7 : 6;
        int modules = 0;
        int barModules = 0;
        for (size_t j = 0; j < count; ++j) {
            const int w = s.elements[size_t(g * 6) + j] - '0';
            modules += w;
            if (j % 2 == 0)
                barModules += w;
        }
        FUZZ_REQUIRE(modules == (g == groups ? 13 : 11));
        FUZZ_REQUIRE(barModules % 2 == 0); // every symbol character has even bar parity
    }
    FUZZ_REQUIRE(s.elements.substr(0, 6) == "211214");
    const int check = linear::code128CheckValue(in.text);
    FUZZ_REQUIRE(check >= 0 && check <= 102);
    return 0;
}

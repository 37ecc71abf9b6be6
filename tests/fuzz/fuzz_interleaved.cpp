// Interleaved 2 of 5: an even number of digits in pairs of five-element
// patterns with two wide each, framed by start and stop, or the message.
#include "FuzzInput.h"
#include "linear/Interleaved2of5Encoder.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Input in = fuzz::read(data, size);
    const bool check = in.flags & 1;
    const linear::LinearSymbol s = linear::encodeInterleaved2of5(in.text, check);
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (!s.valid()) {
        FUZZ_REQUIRE(s.error.endsWith(QStringLiteral(" is Invalid")));
        const QChar bad = s.error.at(0);
        FUZZ_REQUIRE(!digit(bad));
        const qsizetype at = in.text.indexOf(bad);
        FUZZ_REQUIRE(at >= 0);
        for (qsizetype i = 0; i < at; ++i)
            FUZZ_REQUIRE(digit(in.text.at(i)));
        return 0;
    }
    const QString& d = s.text;
    FUZZ_REQUIRE(d.size() % 2 == 0);
    for (const QChar c : d)
        FUZZ_REQUIRE(digit(c));
    // The input stands in the data, after at most one padding zero.
    const QString body = check ? d.chopped(1) : d;
    FUZZ_REQUIRE(body == in.text || body == QStringLiteral("0") + in.text);
    if (check) {
        int sum = 0; // from the right: the check digit weighs 1, then 3, 1, ...
        for (qsizetype i = 0; i < d.size(); ++i)
            sum += (d.at(d.size() - 1 - i).unicode() - u'0') * (i % 2 == 0 ? 1 : 3);
        FUZZ_REQUIRE(sum % 10 == 0);
    }
    FUZZ_REQUIRE(qsizetype(s.elements.size()) == 4 + 5 * d.size() + 3);
    FUZZ_REQUIRE(s.elements.substr(0, 4) == "0000");
    FUZZ_REQUIRE(s.elements.substr(s.elements.size() - 3) == "100");
    for (qsizetype pair = 0; pair < d.size() / 2; ++pair) {
        int wideBars = 0;
        int wideSpaces = 0;
        for (size_t j = 0; j < 10; ++j) {
            const char e = s.elements[size_t(4 + pair * 10) + j];
            FUZZ_REQUIRE(e == '0' || e == '1');
            (j % 2 == 0 ? wideBars : wideSpaces) += e == '1';
        }
        FUZZ_REQUIRE(wideBars == 2 && wideSpaces == 2);
    }
    return 0;
}

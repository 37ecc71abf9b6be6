// Code 128: Start B, one eleven-module character per input character, the
// check character and the thirteen-module stop, or the one message. The check
// character is read back from the elements, as a scanner reads it, and must
// complete the modulo-103 sum of the characters read before it.
#include "FuzzInput.h"
#include "linear/Code128Encoder.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

// Symbol value by pattern, as a scanner reads it: values 0 to 94 from the
// encoder's one-character symbols (each also checked against the input above),
// and 95 to 102, which only a check character can take, from ISO/IEC 15417
// table 1.
const std::map<std::string, int>& symbolValues()
{
    static const std::map<std::string, int> values = [] {
        std::map<std::string, int> map;
        for (int v = 0; v <= 94; ++v)
            map.emplace(linear::encodeCode128(QString(QChar(char16_t(v + 32)))).elements.substr(6, 6), v);
        const std::array<const char*, 8> checkOnly = {"114113", "114311", "411113", "411311",
                                                      "113141", "114131", "311141", "411131"};
        for (int v = 95; v <= 102; ++v)
            map.emplace(checkOnly[size_t(v - 95)], v);
        FUZZ_REQUIRE(map.size() == 103); // no two values share a pattern
        return map;
    }();
    return values;
}

} // namespace

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

    const std::map<std::string, int>& values = symbolValues();
    const auto valueAt = [&](qsizetype group) {
        const auto found = values.find(s.elements.substr(size_t(group * 6), 6));
        FUZZ_REQUIRE(found != values.end());
        return found->second;
    };
    long long sum = 104; // Start B weighs 1
    for (qsizetype p = 1; p <= in.text.size(); ++p) {
        const int value = valueAt(p);
        FUZZ_REQUIRE(value == in.text.at(p - 1).unicode() - 32);
        sum += value * p;
    }
    FUZZ_REQUIRE(valueAt(in.text.size() + 1) == sum % 103);
    return 0;
}

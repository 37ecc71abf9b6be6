// EAN-13 and EAN-8: a complete code only for 12 or 7 digits, whose weighted
// sum is a multiple of 10; its modules have guards where the standard puts
// them and digits of the parity their half requires.
#include "FuzzInput.h"
#include "ean/EanEncoder.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Input in = fuzz::read(data, size);
    const QString text = fuzz::digitsWhen(in.flags & 1, in.text);
    const std::optional<QString> code = ean::completeCode(text);
    const bool digits = ean::isDigits(text);
    FUZZ_REQUIRE(code.has_value() == (digits && (text.size() == 12 || text.size() == 7)));
    // Whatever came in, modules are made only of a complete code.
    const std::string junk = ean::eanModules(text);
    FUZZ_REQUIRE(junk.empty() || text.size() == 13 || text.size() == 8);
    if (!code)
        return 0;
    FUZZ_REQUIRE(code->startsWith(text) && code->size() == text.size() + 1);
    int sum = 0; // from the right: the check digit weighs 1, then 3, 1, ...
    for (qsizetype i = 0; i < code->size(); ++i)
        sum += (code->at(code->size() - 1 - i).unicode() - u'0') * (i % 2 == 0 ? 1 : 3);
    FUZZ_REQUIRE(sum % 10 == 0);

    const std::string m = ean::eanModules(*code);
    const size_t half = code->size() == 13 ? 6 : 4;
    FUZZ_REQUIRE(m.size() == 3 + 7 * half + 5 + 7 * half + 3);
    FUZZ_REQUIRE(m.substr(0, 3) == "101" && m.substr(m.size() - 3) == "101");
    FUZZ_REQUIRE(m.substr(3 + 7 * half, 5) == "01010");
    int evenParityDigits = 0;
    for (size_t d = 0; d < 2 * half; ++d) {
        const bool left = d < half;
        const std::string digit = m.substr(left ? 3 + 7 * d : 8 + 7 * d, 7);
        int ones = 0;
        for (char c : digit)
            ones += c == '1';
        // Left digits start light and end dark, right ones the other way.
        FUZZ_REQUIRE(digit.front() == (left ? '0' : '1') && digit.back() == (left ? '1' : '0'));
        if (left)
            evenParityDigits += ones % 2 == 0;
        else
            FUZZ_REQUIRE(ones % 2 == 0); // set C has even parity
    }
    if (code->size() == 8)
        FUZZ_REQUIRE(evenParityDigits == 0);
    else
        FUZZ_REQUIRE(evenParityDigits == (code->at(0) == u'0' ? 0 : 3));
    return 0;
}

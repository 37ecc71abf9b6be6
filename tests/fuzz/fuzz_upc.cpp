// UPC-A: the check digit is always a digit and completes the weighted sum of
// an all-digit number; the symbol is always 95 modules with its guards, whatever
// the twelve captions hold.
#include "FuzzInput.h"
#include "ean/UpcCheck.h"
#include "modUPC/UpcModules.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Input in = fuzz::read(data, size);
    const QString text = fuzz::digitsWhen(in.flags & 1, in.text);
    const int check = GetUPCCheckNumber(text);
    FUZZ_REQUIRE(check >= 0 && check <= 9);
    bool digits = true;
    for (const QChar c : text)
        digits = digits && c >= u'0' && c <= u'9';
    if (digits) {
        int sum = check; // odd positions weigh 3 within the first 21 characters
        for (qsizetype i = 0; i < std::min<qsizetype>(text.size(), 21); ++i)
            sum += (text.at(i).unicode() - u'0') * (i % 2 == 0 ? 3 : 1);
        FUZZ_REQUIRE(sum % 10 == 0);
    }

    const auto captions = upc::upcCaptions(text);
    for (qsizetype k = 0; k < 12; ++k) {
        const qsizetype last = std::min(k + 1, text.size());
        FUZZ_REQUIRE(captions[size_t(k)] == (last > 0 ? QString(text.at(last - 1)) : QString()));
    }
    const std::string m = upc::upcModules(captions);
    FUZZ_REQUIRE(m.size() == 95);
    FUZZ_REQUIRE(m.substr(0, 3) == "101" && m.substr(45, 5) == "01010" && m.substr(92) == "101");
    for (size_t d = 0; d < 12; ++d) {
        const bool left = d < 6;
        const std::string digit = m.substr(left ? 3 + 7 * d : 8 + 7 * d, 7);
        int ones = 0;
        for (char c : digit)
            ones += c == '1';
        FUZZ_REQUIRE(ones % 2 == (left ? 1 : 0)); // odd parity left, even right
        FUZZ_REQUIRE(digit.front() == (left ? '0' : '1') && digit.back() == (left ? '1' : '0'));
    }
    return 0;
}

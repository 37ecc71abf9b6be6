// UPC-A: the check digit is always a digit and completes the weighted sum of
// an all-digit number; the symbol is always 95 modules with its guards, whatever
// the twelve captions hold. Eleven digits and their check digit, drawn, read
// back from the modules as a scanner reads them and complete the sum.
#include "FuzzInput.h"
#include "ean/UpcCheck.h"
#include "modUPC/UpcModules.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Left-hand (odd parity) digit patterns, GS1 General Specifications 5.2.1.2;
// right-hand digits are their complements.
constexpr std::array<std::string_view, 10> kLeft = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                                    "0110001", "0101111", "0111011", "0110111", "0001011"};

// The digit a scanner reads from seven modules, or -1.
int readDigit(std::string modules, bool left)
{
    if (!left)
        for (char& c : modules)
            c = c == '1' ? '0' : '1';
    for (int d = 0; d < 10; ++d)
        if (kLeft[size_t(d)] == modules)
            return d;
    return -1;
}

} // namespace

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

    const auto captions = modUPC::upcCaptions(text);
    for (qsizetype k = 0; k < 12; ++k) {
        const qsizetype last = std::min(k + 1, text.size());
        FUZZ_REQUIRE(captions[size_t(k)] == (last > 0 ? QString(text.at(last - 1)) : QString()));
    }
    const std::string m = modUPC::upcModules(captions);
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

    if (digits && text.size() >= 11) {
        const QString data = text.left(11);
        const std::string symbol =
            modUPC::upcModules(modUPC::upcCaptions(withUPCCheckDigit(data)));
        int weighted = 0;
        for (size_t d = 0; d < 12; ++d) {
            const bool left = d < 6;
            const int read = readDigit(symbol.substr(left ? 3 + 7 * d : 8 + 7 * d, 7), left);
            FUZZ_REQUIRE(read >= 0);
            if (d < 11)
                FUZZ_REQUIRE(read == data.at(qsizetype(d)).unicode() - u'0');
            weighted += read * (d % 2 == 0 ? 3 : 1);
        }
        FUZZ_REQUIRE(weighted % 10 == 0);
    }
    return 0;
}

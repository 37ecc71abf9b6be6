#include "ean/EanEncoder.h"
#include "ean/EanTables.h"

#include <QStringBuilder>

#include <algorithm>

namespace ean {

namespace {

int digitAt(const QString& s, qsizetype i)
{
    return s.at(i).unicode() - u'0';
}

// Check digit where positions with the given parity (0 for odd, from 1) weigh 3.
int checkDigit(const QString& digits, int tripleParity)
{
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += digitAt(digits, i) * ((i % 2 == tripleParity) ? 3 : 1);
    return (10 - sum % 10) % 10;
}

} // namespace

const char* eanPattern(int set, int digit)
{
    return kSets[size_t(set)][size_t(digit)].data();
}

bool isDigits(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return false;
    return true;
}

std::optional<QString> completeCode(const QString& input)
{
    if ((input.size() != 12 && input.size() != 7) || !isDigits(input))
        return std::nullopt;
    // EAN-13 weighs the even positions 3, EAN-8 the odd ones: in both the digit
    // next to the check digit weighs 3.
    const int tripleParity = input.size() == 12 ? 1 : 0;
    // Made at its full length at once: this runs on every keystroke.
    return input % QChar(u'0' + checkDigit(input, tripleParity));
}

namespace {
// The modules of 13 or 8 digit values, each 0 to 9.
std::string modulesOf(const int* digits, qsizetype count)
{
    std::string modules;
    const bool ean13 = count == 13;
    const qsizetype half = ean13 ? 6 : 4;
    const qsizetype first = ean13 ? 1 : 0; // EAN-13's first digit has no bars
    const std::string_view parity = ean13 ? kParity[size_t(digits[0])] : "0000";
    modules.reserve(size_t(3 + 7 * half + 5 + 7 * half + 3));
    modules += kEdgeGuard;
    for (qsizetype i = 0; i < half; ++i)
        modules += kSets[parity[size_t(i)] - '0'][size_t(digits[first + i])];
    modules += kCentreGuard;
    for (qsizetype i = 0; i < half; ++i)
        modules += kSets[2][size_t(digits[first + half + i])];
    modules += kEdgeGuard;
    return modules;
}
} // namespace

std::string eanModules(const QString& code)
{
    if ((code.size() != 13 && code.size() != 8) || !isDigits(code))
        return {};
    std::array<int, 13> digits{};
    for (qsizetype i = 0; i < code.size(); ++i)
        digits[size_t(i)] = digitAt(code, i);
    return modulesOf(digits.data(), code.size());
}

std::string upcaModules(const std::array<int, 12>& digits)
{
    if (std::any_of(digits.begin(), digits.end(), [](int d) { return d < 0 || d > 9; }))
        return {};
    std::array<int, 13> withZero{};
    std::copy(digits.begin(), digits.end(), withZero.begin() + 1);
    return modulesOf(withZero.data(), 13);
}

bool eanComplete(EanForm form, const QString& input)
{
    const auto startsWithAny = [&](std::initializer_list<const char*> prefixes) {
        for (const char* p : prefixes)
            if (input.startsWith(QLatin1String(p)))
                return true;
        return false;
    };
    const qsizetype n = input.size();
    if (!isDigits(input))
        return false;
    switch (form) {
    case EanForm::Ean8: return n == 7;
    case EanForm::Jan13: return n == 12 && startsWithAny({"49", "45"});
    case EanForm::Isbn: return n == 12 && startsWithAny({"978", "979"});
    case EanForm::Ean13: return n == 12;
    }
    return false;
}

QString eanHint(EanForm form)
{
    switch (form) {
    case EanForm::Ean8: return QStringLiteral("Enter 7 digit number for EAN-8");
    case EanForm::Jan13: return QStringLiteral("Enter 12 digit number starting with '45' or '49' for JAN-13");
    case EanForm::Isbn: return QStringLiteral("Enter 12 digit number starting with '978' or '979' for ISBN");
    case EanForm::Ean13: return QStringLiteral("Enter 12 digit number for EAN-13");
    }
    return {};
}

} // namespace ean

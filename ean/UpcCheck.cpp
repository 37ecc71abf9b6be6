#include "ean/UpcCheck.h"

#include <algorithm>

qint16 GetUPCCheckNumber(const QString& code)
{
    constexpr qsizetype kCounted = 21;
    int odd = 0;
    int even = 0;
    const qsizetype n = std::min(code.size(), kCounted);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = code.at(i).unicode();
        const int digit = (c >= u'0' && c <= u'9') ? c - u'0' : 0;
        (i % 2 == 0 ? odd : even) += digit;
    }
    // Reduced twice so that sums above 210 (12 or more digits) still give a digit.
    return static_cast<qint16>((10 - (3 * odd + even) % 10) % 10);
}

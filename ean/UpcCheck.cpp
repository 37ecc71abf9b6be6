#include "ean/UpcCheck.h"

#include <QStringBuilder>

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
    // The standard rule, reduced twice. The last digit of 210 - sum agrees with
    // it only while the sum stays at most 210, which eleven digits never pass;
    // longer codes can (twelve nines sum to 216: that shortcut gives 6, the rule 4).
    return static_cast<qint16>((10 - (3 * odd + even) % 10) % 10);
}

QString withUPCCheckDigit(const QString& code)
{
    // One string made, not a number's and then the sum.
    return code % QChar(char16_t(u'0' + GetUPCCheckNumber(code)));
}

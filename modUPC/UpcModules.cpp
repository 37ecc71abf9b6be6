#include "modUPC/UpcModules.h"

#include "ean/EanEncoder.h"

#include <algorithm>

namespace upc {

namespace {

int digitValue(const QString& caption)
{
    if (caption.size() == 1 && caption.at(0).unicode() >= u'0' && caption.at(0).unicode() <= u'9')
        return caption.at(0).unicode() - u'0';
    return -1;
}

} // namespace

std::array<QString, 12> upcCaptions(const QString& text)
{
    std::array<QString, 12> captions;
    for (qsizetype k = 1; k <= 12; ++k) {
        const qsizetype last = std::min(k, text.size());
        captions[k - 1] = last > 0 ? text.mid(last - 1, 1) : QString();
    }
    return captions;
}

std::string upcModules(const std::array<QString, 12>& captions)
{
    // Each half keeps its own table, so the digit carried over a caption that
    // is not one is drawn with the set of the caption's half.
    QString digits(12, QLatin1Char('0'));
    int digit = 0;
    for (int position = 0; position < 12; ++position) {
        if (const int value = digitValue(captions[size_t(position)]); value >= 0)
            digit = value;
        digits[position] = QChar(u'0' + digit);
    }
    return ean::upcaModules(digits);
}

} // namespace upc

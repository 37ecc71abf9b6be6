#include "ean/EanModules.h"

#include "draw/Surface.h"

#include <QString>

namespace ean {

void drawEanModules(draw::Surface& picEan, int start, int mode)
{
    if (mode == 1)
        picEan.setFillColor(draw::kWhite);
    picEan.Cls();
    picEan.setBackColor(draw::kActiveBorder);
    picEan.setFontSize(8);
    picEan.setDrawWidth(1);
    picEan.setDescription(QStringLiteral("EAN code sets from number %1").arg(start));
    static constexpr char kSetLetters[] = {'A', 'B', 'C'};
    for (int r = 0; r < 5; ++r) {
        const int m = start + r;
        const int top = 16 * r + 2;
        const int bottom = 16 * r + 14;
        int x = 60;
        picEan.setCurrentX(0);
        picEan.setCurrentY(16 * r + 3);
        if (mode == 0) {
            // The scroll range keeps m within the 30 patterns.
            if (m < 0 || m > 29)
                continue;
            const int set = m <= 9 ? 0 : (m <= 19 ? 1 : 2);
            const int digit = m - 10 * set;
            picEan.Print(
                QStringLiteral("\"%1\" Module for num.: %2").arg(QChar(kSetLetters[set])).arg(digit));
            const char* pattern = eanPattern(set, digit);
            for (int k = 0; k < 7; ++k, x += 5) {
                picEan.setFillColor(pattern[k] == '1' ? draw::kBlack : draw::kWhite);
                picEan.Box(x, top, x + 5, bottom, draw::kLightGrey);
            }
        } else {
            if (m < 0 || m > 9)
                continue;
            picEan.Print(QStringLiteral("Pos. module for num.: %1").arg(m));
            picEan.Box(60, top, 100, bottom);
            const char* pattern = eanPattern(0, m);
            for (int k = 0; k < 7; ++k, x += 4) {
                picEan.setCurrentX(x + 3);
                picEan.setCurrentY(16 * r + 3);
                picEan.Print(k == 6 ? QStringLiteral(" 6?") : QString(QChar(pattern[k] == '1' ? 'B' : 'A')));
            }
        }
    }
}

} // namespace ean

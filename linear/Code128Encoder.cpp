#include "linear/Code128Encoder.h"

#include <array>
#include <string_view>

namespace linear {

namespace {

// Bar, space, bar, space, bar, space widths in modules, by symbol value.
// ISO/IEC 15417, table 1 (symbol character set).
constexpr std::array<std::string_view, 107> kWidths = {
    "212222", "222122",  "222221", "121223", "121322", // 0-4: blank ! " # $
    "131222", "122213",  "122312", "132212", "221213", // 5-9: % & ' ( )
    "221312", "231212",  "112232", "122132", "122231", // 10-14: * + , - .
    "113222", "123122",  "123221", "223211", "221132", // 15-19: / 0 1 2 3
    "221231", "213212",  "223112", "312131", "311222", // 20-24: 4 5 6 7 8
    "321122", "321221",  "312212", "322112", "322211", // 25-29: 9 : ; < =
    "212123", "212321",  "232121", "111323", "131123", // 30-34: > ? @ A B
    "131321", "112313",  "132113", "132311", "211313", // 35-39: C D E F G
    "231113", "231311",  "112133", "112331", "132131", // 40-44: H I J K L
    "113123", "113321",  "133121", "313121", "211331", // 45-49: M N O P Q
    "231131", "213113",  "213311", "213131", "311123", // 50-54: R S T U V
    "311321", "331121",  "312113", "312311", "332111", // 55-59: W X Y Z [
    "314111", "221411",  "431111", "111224", "111422", // 60-64: \ ] ^ _ `
    "121124", "121421",  "141122", "141221", "112214", // 65-69: a b c d e
    "112412", "122114",  "122411", "142112", "142211", // 70-74: f g h i j
    "241211", "221114",  "413111", "241112", "134111", // 75-79: k l m n o
    "111242", "121142",  "121241", "114212", "124112", // 80-84: p q r s t
    "124211", "411212",  "421112", "421211", "212141", // 85-89: u v w x y
    "214121", "412121",  "111143", "111341", "131141", // 90-94: z { | } ~
    "114113", "114311",  "411113", "411311", "113141", // 95-99: DEL FNC3 FNC2 SHIFT CodeC
    "114131", "311141",  "411131", "211412", "211214", // 100-104: FNC4 CodeA FNC1 StartA StartB
    "211232", "2331112",                               // 105-106: StartC Stop
};

constexpr bool elevenModulesEach()
{
    for (size_t v = 0; v < kWidths.size(); ++v) {
        int modules = 0;
        for (char c : kWidths[v])
            modules += c - '0';
        if (modules != (v == 106 ? 13 : 11))
            return false;
    }
    return true;
}
static_assert(elevenModulesEach(), "symbol characters are 11 modules, the stop 13");

constexpr int kStartB = 104;
constexpr int kStop = 106;

bool encodable(QChar c)
{
    return c.unicode() >= 32 && c.unicode() <= 126;
}

} // namespace

int code128CheckValue(const QString& input)
{
    // Start B weighs 1, the character at position p weighs p.
    long long sum = kStartB;
    for (qsizetype i = 0; i < input.size(); ++i)
        sum += (input.at(i).unicode() - 32) * (long long)(i + 1);
    return static_cast<int>(sum % 103);
}

LinearSymbol encodeCode128(const QString& input)
{
    LinearSymbol symbol;
    symbol.notation = Notation::Modules;
    for (const QChar c : input) {
        if (!encodable(c)) {
            symbol.error = QStringLiteral("Invalid Character(s)");
            return symbol;
        }
    }
    symbol.text = input;
    symbol.elements.reserve(size_t(input.size() + 3) * 6 + 1);
    symbol.elements += kWidths[kStartB];
    for (const QChar c : input)
        symbol.elements += kWidths[c.unicode() - 32];
    symbol.elements += kWidths[code128CheckValue(input)];
    symbol.elements += kWidths[kStop];
    return symbol;
}

} // namespace linear

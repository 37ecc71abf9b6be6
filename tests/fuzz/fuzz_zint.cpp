// The data-to-encoder adapter: any bytes, as UTF-8 (invalid sequences
// included) or as UTF-16 (lone surrogates included), repeated into huge
// inputs, with any option, for any symbology. Whatever comes in, libzint is
// handed only what it takes, a refusal is the program's own words and never
// comes with a symbol, and a symbol always has something a decoder reads.
#include "FuzzInput.h"
#include "zint/Encode.h"
#include "zint/Symbols.h"

#include <zint.h>

#include <algorithm>

#include <QRegularExpression>



extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const auto all = zintsym::kinds();
    const zintsym::Kind& kind = all[data[0] % all.size()];
    const std::uint8_t flags = data[1];
    data += 2;
    size -= 2;
    QString text;
    if (flags & 1) {
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    } else {
        text.resize(qsizetype(size / 2));
        for (std::size_t i = 0; i + 1 < size; i += 2)
            text[qsizetype(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));
    }
    // Huge inputs: the same data again and again, past what any symbol holds
    // or past what the adapter hands to libzint at all.
    if (flags & 2 && !text.isEmpty()) {
        const qsizetype target = flags & 4 ? zintsym::kMaxEncodedLength + 1 : 3000;
        const QString unit = text;
        while (text.size() < target)
            text += unit;
    }
    zintsym::Options options;
    const QStringList levels = zintsym::eccLevels(kind);
    if (flags & 8)
        options.ecc = levels.isEmpty() ? QStringLiteral("H") : levels[(flags >> 4) % levels.size()];
    if (flags & 16)
        options.symbolSize = (flags >> 5) % 8;
    if (flags & 32)
        options.addon = (flags & 64) ? QStringLiteral("12") : QStringLiteral("12345");
    options.showText = !(flags & 128);

    const zintsym::Encoding result = zintsym::encode(kind, text, options);
    FUZZ_REQUIRE(result.ok() == bool(result.symbol));
    if (!result.ok()) {
        static const QRegularExpression numbered(QStringLiteral("(Error|Warning) \\d"));
        FUZZ_REQUIRE(!result.error.contains(numbered));
        FUZZ_REQUIRE(result.reading.isEmpty());
        return 0;
    }
    FUZZ_REQUIRE(text.size() <= zintsym::kMaxEncodedLength);
    if (result.layout == zintsym::Layout::Grid)
        FUZZ_REQUIRE(result.symbol->width > 0 && result.rowHeights.size() == size_t(result.symbol->rows) &&
                     std::ranges::all_of(result.rowHeights, [](int h) { return h > 0; }));
    else if (result.layout == zintsym::Layout::Bitmap)
        FUZZ_REQUIRE(result.symbol->bitmap && result.symbol->bitmap_width > 0 && result.symbol->bitmap_height > 0);
    else
        FUZZ_REQUIRE(result.symbol->vector && result.symbol->vector->width > 0 && result.symbol->vector->height > 0);
    FUZZ_REQUIRE(!result.reading.isEmpty());
    return 0;
}

#include "linear/Code128.h"

#include "draw/Surface.h"

namespace linear {

std::optional<double> DrawCode128(draw::Surface& picture, const QString& input, const Options& o)
{
    picture.Cls();
    if (input.isEmpty())
        return std::nullopt;
    const LinearSymbol symbol = encodeCode128(input);
    const auto n = static_cast<double>(input.size());
    // Spaces stay exactly their module count: decoders measure Code 128 by
    // bar-and-space pairs, and a widened space breaks every character. The
    // symbol is therefore the one drawn without "Optimize for Printing", and so
    // is its label's place: the place meant for the wider symbol runs the end
    // of a long label out of the picture.
    return renderLinear(picture, symbol,
                        {.extraSpace = 0, .labelX = n * 3 + 30, .twipsPerUnit = 15, .label = o.label != 0});
}

} // namespace linear

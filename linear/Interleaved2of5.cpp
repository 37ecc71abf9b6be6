#include "linear/Interleaved2of5.h"

#include "draw/Surface.h"

namespace linear {

std::optional<double> DrawInterleaved2of5(draw::Surface& picture, const QString& input, const Options& o)
{
    picture.Cls();
    if (input.isEmpty())
        return std::nullopt;
    const LinearSymbol symbol = encodeInterleaved2of5(input, o.check != 0);
    // Single precision, fraction kept, as the label position has always been.
    const float labelX = (1.3f * float(o.optimize) + 2.0f) * float(symbol.text.size()) + 20.0f;
    return renderLinear(
        picture, symbol,
        {.extraSpace = o.optimize, .labelX = labelX, .twipsPerUnit = 17, .label = o.label != 0});
}

} // namespace linear

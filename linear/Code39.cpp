#include "linear/Code39.h"

#include "draw/Surface.h"

namespace linear {

std::optional<double> DrawCode39(draw::Surface& picture, const QString& input, const Options& o)
{
    picture.Cls();
    if (input.isEmpty())
        return std::nullopt;
    const LinearSymbol symbol = encodeCode39(input, o.check != 0);
    const auto n = static_cast<double>(symbol.text.size());
    return renderLinear(picture, symbol,
                        {.extraSpace = o.optimize,
                         .labelX = n * (5 + 2 * o.optimize) + 35,
                         .twipsPerUnit = 15,
                         .label = o.label != 0});
}

} // namespace linear

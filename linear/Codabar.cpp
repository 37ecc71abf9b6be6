#include "linear/Codabar.h"

#include "draw/Surface.h"

namespace linear {

std::optional<double> DrawCodabar(draw::Surface& picture, const QString& input, const Options& o)
{
    picture.Cls();
    if (input.isEmpty())
        return std::nullopt;
    const LinearSymbol symbol = encodeCodabar(input);
    const auto n = static_cast<double>(input.size());
    return renderLinear(picture, symbol,
                        {.extraSpace = o.optimize,
                         .labelX = n * (2 * o.optimize + 3) + 30,
                         .twipsPerUnit = 15,
                         .label = o.label != 0});
}

} // namespace linear

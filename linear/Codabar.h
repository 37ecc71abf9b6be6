#pragma once

#include "linear/CodabarEncoder.h"
#include "linear/LinearRenderer.h"

namespace linear {

std::optional<double> DrawCodabar(draw::Surface& picture, const QString& input, const Options& o);

} // namespace linear

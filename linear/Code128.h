#pragma once

#include "linear/Code128Encoder.h"
#include "linear/LinearRenderer.h"

namespace linear {

std::optional<double> DrawCode128(draw::Surface& picture, const QString& input, const Options& o);

} // namespace linear

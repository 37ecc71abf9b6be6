#pragma once

#include "linear/Interleaved2of5Encoder.h"
#include "linear/LinearRenderer.h"

namespace linear {

std::optional<double> DrawInterleaved2of5(draw::Surface& picture, const QString& input, const Options& o);

} // namespace linear

#pragma once

#include "linear/Code39Encoder.h"
#include "linear/LinearRenderer.h"

namespace linear {

std::optional<double> DrawCode39(draw::Surface& picture, const QString& input, const Options& o);

} // namespace linear

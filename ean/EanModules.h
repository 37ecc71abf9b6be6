#pragma once

#include "ean/EanEncoder.h"

namespace draw {
class Surface;
}

namespace ean {

// The code-set display: five rows from the number start (0 to 29: sets A, B, C
// of digits 0 to 9). Mode 0 shows each pattern as seven cells, mode 1 the
// position rows.
void drawEanModules(draw::Surface& picEan, int start, int mode);

} // namespace ean

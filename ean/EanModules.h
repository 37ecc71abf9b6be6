#pragma once

#include <QtGlobal>

namespace draw {
class Surface;
}

namespace ean {

// The code-set display: five rows from the number start (0 to 29: sets A, B, C
// of digits 0 to 9). Mode 0 shows each pattern as seven cells, mode 1 the
// position rows.
void drawEanModules(draw::Surface& picEan, int start, int mode);

// The seven modules of a digit in set 0 (A), 1 (B) or 2 (C).
const char* eanPattern(int set, int digit);

} // namespace ean

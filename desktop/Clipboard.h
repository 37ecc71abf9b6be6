#pragma once

namespace draw {
class Surface;
}

namespace output {

// Empties the clipboard, then offers the surface's image as a bitmap (Qt
// provides PNG and BMP from it) and the same drawing as SVG, which vector
// editors and office programs scale without loss.
void copySurface(const draw::Surface& surface);

} // namespace output

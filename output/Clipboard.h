#pragma once

#include <QImage>

namespace output {

// Empties the clipboard, then offers the image in the formats other programs
// paste (Qt provides PNG and BMP from one image).
void copyImage(const QImage& image);

} // namespace output

#pragma once

#include <QStringList>

namespace output {

// Makes "Tahoma" available where the system has none, from the compatible face
// that Debian's fonts-wine installs outside fontconfig's folders.
void ensureTahoma();

// The installed screen fonts, as the label font list shows them.
QStringList screenFonts();

} // namespace output

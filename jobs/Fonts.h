#pragma once

#include <QFont>
#include <QStringList>

namespace output {

// Makes "Tahoma" available where the system has none, from the compatible face
// that Debian's fonts-wine installs outside fontconfig's folders. Cheap after
// the first call, and safe from any thread.
void ensureTahoma();

// The face of the symbols' labels and of the window's controls, at a point size.
QFont tahoma(double points, bool bold = false);

// The installed screen fonts, as the label font list shows them.
QStringList screenFonts();

} // namespace output

#pragma once

#include <QString>

#include <optional>
#include <string>

namespace draw {
class Surface;
}

namespace ean {

// True for a text of "0" to "9" only (the empty text included).
bool isDigits(const QString& text);

// The complete code for 12 digits (EAN-13: even positions weigh 3) or 7 digits
// (EAN-8: odd positions weigh 3); nothing for any other input.
std::optional<QString> completeCode(const QString& input);

// "1" for a dark module: 95 for a 13-digit code, 67 for an 8-digit one.
std::string eanModules(const QString& code);

// Draws the complete code on picEan: guards from y 5 to 72, data bars from 5 to
// 66, digits printed as numbers under them from x = 11.
void DrawEan(draw::Surface& picEan, const QString& code);

} // namespace ean

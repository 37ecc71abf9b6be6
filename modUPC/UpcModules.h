#pragma once

#include <QString>

#include <array>
#include <string>

namespace modUPC {

// Position k (1 to 12) holds the last of the first k characters, so a short text
// repeats its last character and characters after the 12th are ignored.
std::array<QString, 12> upcCaptions(const QString& text);

// The 95 modules, "1" dark. A caption that is not a digit takes the modules of
// the last digit that was one, from the table of its own half (0 before any).
std::string upcModules(const std::array<QString, 12>& captions);

} // namespace modUPC

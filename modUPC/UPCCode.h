#pragma once

#include <QString>

#include <array>
#include <optional>
#include <string>

namespace draw {
class Surface;
}

namespace upc {

// What the UPC-A renderer reaches on the main window: the twelve captions that
// hold the characters, the sample number field, and the two picture areas.
struct UpcForm {
    std::array<QString, 6> L;
    std::array<QString, 6> R;
    QString txtUPC = QStringLiteral("097363395843");
    draw::Surface& picUPC;
    const draw::Surface& picUPCy;
};

// Position k (1 to 12) holds the last of the first k characters, so a short text
// repeats its last character and characters after the 12th are ignored.
std::array<QString, 12> upcCaptions(const QString& text);

// The 95 modules, "1" dark. A caption that is not a digit takes the modules of
// the last digit that was one, from the table of its own half (0 before any).
std::string upcModules(const std::array<QString, 12>& captions);

// Draws the twelve characters as a UPC-A symbol on picUPC and leaves it there as
// the background picture. Needs a non-empty sample field; otherwise it restores
// the sample and returns the error the caller shows the user.
std::optional<QString> UPCCode(const QString& text, UpcForm& form);

} // namespace upc

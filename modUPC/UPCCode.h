#pragma once

#include <QString>

#include <array>
#include <optional>

namespace draw {
class Surface;
}

namespace modUPC {

// What the UPC-A renderer reaches on the main window: the twelve captions that
// hold the characters, the sample number field, and the two picture areas.
struct UpcForm {
    std::array<QString, 6> L;
    std::array<QString, 6> R;
    QString txtUPC = QStringLiteral("097363395843");
    draw::Surface& picUPC;
    const draw::Surface& picUPCy;
};

// Draws the twelve characters as a UPC-A symbol on picUPC and leaves it there as
// the background picture. Needs a non-empty sample field; otherwise it restores
// the sample and returns the error the caller shows the user.
std::optional<QString> UPCCode(const QString& text, UpcForm& form);

} // namespace modUPC

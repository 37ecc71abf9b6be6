// The scan check of the window: after each redraw, the image that Copy and File
// Save would hand out goes to the decoder, with what it should read as.
#include "app/BarcodeGenerator.h"
#include "ean/UpcCheck.h"

#include "app/ScanMark.h"
#include "linear/Codabar.h"
#include "linear/Code128.h"
#include "linear/Code39.h"
#include "linear/Interleaved2of5.h"

#include <QCheckBox>
#include <QLineEdit>

std::optional<verify::Request> BarcodeGenerator::scanRequest() const
{
    std::optional<verify::Request> request = shownSymbol();
    if (request)
        request->image = selectedSurface().Image();
    return request;
}

bool BarcodeGenerator::symbolShown() const
{
    return shownSymbol().has_value();
}

std::optional<verify::Request> BarcodeGenerator::shownSymbol() const
{
    const QString input = Text1->text();
    // No symbol on view: nothing typed, or a hint in place of the EAN or UPC-A picture.
    if (input.isEmpty() || pendingHint())
        return std::nullopt;
    const draw::Surface& surface = selectedSurface();
    verify::Request request;
    request.context.optimize = Check1[0]->isChecked();
    if (&surface == &picUPC()) {
        request.symbology = verify::Symbology::UpcA;
        request.context.expected = withUPCCheckDigit(input);
    } else if (&surface == &picEan()) {
        const QString code = EanText->text();
        request.symbology = code.size() == 8 ? verify::Symbology::Ean8 : verify::Symbology::Ean13;
        request.context.expected = code;
    } else {
        const bool addCheck = Check1[2]->isChecked();
        linear::LinearSymbol symbol;
        switch (LinearSymbology) {
        case 0:
            symbol = linear::encodeCode39(input, addCheck);
            request.symbology = verify::Symbology::Code39;
            break;
        case 1:
            symbol = linear::encodeInterleaved2of5(input, addCheck);
            request.symbology = verify::Symbology::Interleaved2of5;
            break;
        case 2:
            symbol = linear::encodeCode128(input);
            request.symbology = verify::Symbology::Code128;
            break;
        case 3:
            symbol = linear::encodeCodabar(input);
            request.symbology = verify::Symbology::Codabar;
            break;
        default: return std::nullopt;
        }
        // The picture shows a message, not a symbol.
        if (!symbol.valid())
            return std::nullopt;
        request.context.expected = symbol.label();
    }
    return request;
}

// Runs on every keystroke, so it only hands the work over: the picture is
// copied, and a message in place of a symbol found, once typing pauses.
void BarcodeGenerator::checkScan()
{
    updateSymbolActions();
    if (Text1->text().isEmpty() || pendingHint()) {
        scanMark->clear();
        return;
    }
    scanMark->check([this] { return scanRequest(); }, pictureBox(selectedSurface()));
}

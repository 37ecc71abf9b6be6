#include "jobs/SymbolJob.h"

#include "ean/Ean.h"
#include "ean/UpcCheck.h"
#include "jobs/Fonts.h"
#include "linear/Codabar.h"
#include "linear/Code128.h"
#include "linear/Code39.h"
#include "linear/Interleaved2of5.h"
#include "modUPC/UPCCode.h"
#include "zint/Encode.h"

namespace output {

namespace {

const QString kNoData = QStringLiteral("Please Type the Barcode Data First");

} // namespace

QString dataTooLongMessage()
{
    return QStringLiteral("The data is longer than %1 characters, the most the window takes")
        .arg(kMaxDataLength);
}

SettledOptions settleOptions(Symbology symbology, const linear::Options& asked)
{
    SettledOptions settled{asked, {}};
    auto fix = [&](int box, int& value, int fixed) {
        if (value != fixed)
            settled.overruled.push_back(box);
        value = fixed;
    };
    switch (symbology) {
    case Symbology::Code39:
    case Symbology::Interleaved2of5: break;
    // Code 128 always carries its check character; Codabar never has one.
    case Symbology::Code128: fix(2, settled.options.check, 1); break;
    case Symbology::Codabar: fix(2, settled.options.check, 0); break;
    // The EAN and UPC-A buttons check all three boxes and grey them.
    default:
        fix(0, settled.options.optimize, 1);
        fix(1, settled.options.label, 1);
        fix(2, settled.options.check, 1);
        break;
    }
    return settled;
}

SymbolSurfaces::SymbolSurfaces(const QString& labelFont)
{
    // The factory's prvalue initialises the surface in place: a QObject never moves.
    auto make = [](SurfaceId id) {
        return std::unique_ptr<draw::Surface>(new draw::Surface(makeSurface(id)));
    };
    m_picture1 = make(SurfaceId::Picture1);
    m_picEan = make(SurfaceId::picEan);
    // As the window sets it: the code-set display fills its cells.
    m_picEan->setFillSolid(true);
    m_picUPC = make(SurfaceId::picUPC);
    m_picUPCy = make(SurfaceId::picUPCy);
    m_picUPCy->setVisible(false);
    m_picSymbol = make(SurfaceId::picSymbol);
    // The font list sets the family of these three, as the window's does.
    if (!labelFont.isEmpty())
        for (draw::Surface* s : {m_picture1.get(), m_picUPC.get(), m_picEan.get(), m_picSymbol.get()})
            s->setFontName(labelFont);
}

SymbolSurfaces::~SymbolSurfaces() = default;

SymbolResult drawSymbol(SymbolSurfaces& surfaces, Symbology symbology, const QString& data,
                        const linear::Options& asked)
{
    if (data.isEmpty())
        return {nullptr, kNoData};
    if (data.size() > kMaxDataLength)
        return {nullptr, dataTooLongMessage()};
    ensureTahoma();
    const linear::Options o = settleOptions(symbology, asked).options;
    const qsizetype n = data.size();
    const bool digits = ean::isDigits(data);

    auto linearResult = [&](std::optional<double> width) -> SymbolResult {
        // The renderers describe a symbol by its label, which is what a decoder reads.
        const QString description = surfaces.Picture1().description();
        if (!width)
            return {nullptr, description};
        return {&surfaces.Picture1(), {}, description, 10, 10};
    };
    auto eanResult = [&](ean::EanForm form) -> SymbolResult {
        if (!ean::eanComplete(form, data))
            return {nullptr, ean::eanHint(form)};
        const QString code = *ean::completeCode(data);
        ean::DrawEan(surfaces.picEan(), code);
        const int left = form == ean::EanForm::Ean8 ? 7 : 11;
        return {&surfaces.picEan(), {}, code, left, 7};
    };

    switch (symbology) {
    case Symbology::Code39: return linearResult(linear::DrawCode39(surfaces.Picture1(), data, o));
    case Symbology::Interleaved2of5:
        return linearResult(linear::DrawInterleaved2of5(surfaces.Picture1(), data, o));
    case Symbology::Code128: return linearResult(linear::DrawCode128(surfaces.Picture1(), data, o));
    case Symbology::Codabar: return linearResult(linear::DrawCodabar(surfaces.Picture1(), data, o));
    case Symbology::Ean13: return eanResult(ean::EanForm::Ean13);
    case Symbology::Jan13: return eanResult(ean::EanForm::Jan13);
    case Symbology::Isbn: return eanResult(ean::EanForm::Isbn);
    case Symbology::Ean8: return eanResult(ean::EanForm::Ean8);
    case Symbology::UpcA: {
        // Eleven characters with a non-digit leave the window's picture as it
        // was; there is no earlier symbol here, so the hint says what to type.
        if (n != 11 || !digits)
            return {nullptr, QStringLiteral("Enter 11 digit number for UPC-A")};
        // The sample number is never empty here, so UPCCode has nothing to complain of.
        modUPC::UpcForm form{.picUPC = surfaces.picUPC(), .picUPCy = surfaces.picUPCy()};
        const QString number = withUPCCheckDigit(data);
        modUPC::UPCCode(number, form);
        return {&surfaces.picUPC(), {}, number, 9, 9};
    }
    }
    return {nullptr, kNoData};
}

SymbolResult drawSymbol(SymbolSurfaces& surfaces, const zintsym::Kind& kind, const QString& data,
                        const zintsym::Options& options)
{
    if (data.isEmpty())
        return {nullptr, kNoData};
    if (data.size() > kMaxDataLength)
        return {nullptr, dataTooLongMessage()};
    // A symbol of modules alone has no text: its command need not read the fonts.
    if (!zintsym::drawnFromBitmap(kind))
        ensureTahoma();
    const zintsym::Drawn drawn = zintsym::draw(surfaces.picSymbol(), kind, data, options);
    if (!drawn.ok())
        return {nullptr, drawn.error};
    return {&surfaces.picSymbol(), {}, drawn.reading};
}

CheckedFile encodeChecked(const SymbolResult& symbol, const ExportSettings& settings,
                          const ReadBack& readBack, bool refuseUnread)
{
    const bool pixels = !isVector(settings.format);
    const Rendered picture = readBack || pixels ? render(*symbol.surface, settings) : Rendered{};
    if (pixels && !picture.ok())
        return {{{}, picture.error}, {}};
    // A vector file is read back from its picture at the resolution asked for;
    // one too large to draw is still written, with the reason it was not read.
    QString unread;
    if (!picture.ok())
        unread = QStringLiteral("Not read back: %1").arg(picture.error);
    else if (readBack)
        unread = readBack(picture.image, symbol.reading);
    if (!unread.isEmpty() && refuseUnread)
        return {{{}, unread}, unread};
    return {pixels ? encodePicture(picture.image, settings.format) : encode(*symbol.surface, settings),
            std::move(unread)};
}

} // namespace output

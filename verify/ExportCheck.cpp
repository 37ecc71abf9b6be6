#include "verify/ExportCheck.h"

#include <QPainter>

namespace verify {

namespace {

// The export drawn again as its file has it and read by the symbology's
// decoder; a picture that cannot be made is the reason it does not read.
template <typename AnySymbology>
Verdict checkRedrawn(const draw::Surface& surface, const output::ExportSettings& settings,
                     const AnySymbology& symbology, const Context& context)
{
    const output::Rendered picture = output::render(surface, settings);
    if (!picture.ok()) {
        Verdict verdict;
        verdict.reason = picture.error;
        return verdict;
    }
    return checkRendered(picture.image, symbology, context);
}

QImage onPaper(const QImage& picture)
{
    QImage image = picture;
    // Read as grey, a transparent pixel keeps the bars' colour: every pixel
    // would look alike. On paper the background is what shows through.
    if (image.hasAlphaChannel()) {
        QImage paper(image.size(), QImage::Format_RGB32);
        paper.fill(Qt::white);
        QPainter painter(&paper);
        painter.drawImage(0, 0, image);
        painter.end();
        image = paper;
    }
    return image;
}

} // namespace

Verdict checkExport(const draw::Surface& surface, const output::ExportSettings& settings, Symbology symbology,
                    const Context& context)
{
    return checkRedrawn(surface, settings, symbology, context);
}

Verdict checkRendered(const QImage& picture, Symbology symbology, const Context& context)
{
    return check(symbology, onPaper(picture), context);
}

Verdict checkRendered(const QImage& picture, const LibrarySymbology& symbology, const Context& context)
{
    if (!symbology.decoder)
        return Verdict::notChecked(symbology.title);
    return check(symbology, onPaper(picture), context);
}

Verdict checkExport(const draw::Surface& surface, const output::ExportSettings& settings,
                    const LibrarySymbology& symbology, const Context& context)
{
    // Nothing to draw again for a symbology no decoder reads.
    if (!symbology.decoder)
        return Verdict::notChecked(symbology.title);
    return checkRedrawn(surface, settings, symbology, context);
}

LibrarySymbology decoderSymbology(const zintsym::Kind& kind)
{
    return {kind.decoder, QString::fromUtf8(kind.title)};
}

output::ReadBack lineCheck(const zintsym::Kind& kind)
{
    if (!kind.decoder)
        return {};
    return [symbology = decoderSymbology(kind)](const QImage& picture, const QString& reading) {
        const Verdict verdict = checkRendered(picture, symbology, {.expected = reading});
        return verdict.reads() ? QString() : verdict.details();
    };
}

Symbology decoderSymbology(output::Symbology symbology)
{
    switch (symbology) {
    case output::Symbology::Code39: return Symbology::Code39;
    case output::Symbology::Interleaved2of5: return Symbology::Interleaved2of5;
    case output::Symbology::Code128: return Symbology::Code128;
    case output::Symbology::Codabar: return Symbology::Codabar;
    case output::Symbology::Ean13:
    case output::Symbology::Jan13:
    case output::Symbology::Isbn: return Symbology::Ean13;
    case output::Symbology::UpcA: return Symbology::UpcA;
    case output::Symbology::Ean8: return Symbology::Ean8;
    }
    return Symbology::Code128;
}

output::ReadBack lineCheck(output::Symbology symbology, bool optimize)
{
    return [decoder = decoderSymbology(symbology), optimize](const QImage& picture, const QString& reading) {
        const Verdict verdict = checkRendered(picture, decoder, {.expected = reading, .optimize = optimize});
        return verdict.reads() ? QString() : verdict.details();
    };
}

} // namespace verify

#include "verify/ExportCheck.h"

#include "draw/Surface.h"

#include <QPainter>

#include <optional>

namespace verify {

Symbology symbologyOf(output::Symbology symbology)
{
    switch (symbology) {
    case output::Symbology::Code39: return Symbology::Code39;
    case output::Symbology::Interleaved2of5: return Symbology::Interleaved2of5;
    case output::Symbology::Code128: return Symbology::Code128;
    case output::Symbology::Codabar: return Symbology::Codabar;
    // JAN-13 and ISBN are EAN-13 symbols with their own prefixes.
    case output::Symbology::Ean13:
    case output::Symbology::Jan13:
    case output::Symbology::Isbn: return Symbology::Ean13;
    case output::Symbology::UpcA: return Symbology::UpcA;
    case output::Symbology::Ean8: return Symbology::Ean8;
    }
    return Symbology::Code128;
}

namespace {

struct Scanned {
    QImage image;
    QString error;
};

Scanned asPrinted(const draw::Surface& surface, const output::ExportSettings& settings)
{
    const output::Rendered rendered = output::render(surface, settings);
    if (!rendered.ok())
        return {{}, rendered.error};
    if (!settings.transparent)
        return {rendered.image, {}};
    // Whatever the symbol is laid on shows through; blank paper is the common case.
    QImage paper(rendered.image.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.drawImage(0, 0, rendered.image);
    painter.end();
    return {paper, {}};
}

Verdict unreadable(const QString& reason)
{
    Verdict verdict;
    verdict.reason = reason;
    return verdict;
}

} // namespace

Verdict checkExport(const draw::Surface& surface, const output::ExportSettings& settings, Symbology symbology,
                    const Context& context)
{
    const Scanned scanned = asPrinted(surface, settings);
    if (!scanned.error.isEmpty())
        return unreadable(scanned.error);
    // Whole pixels per module: the image is what the file holds, not bound for another device.
    Context asFile = context;
    asFile.dotsPerModule = 0;
    return check(symbology, scanned.image, asFile);
}

Verdict checkExport(const draw::Surface& surface, const output::ExportSettings& settings,
                    const QString& expected)
{
    const Scanned scanned = asPrinted(surface, settings);
    if (!scanned.error.isEmpty())
        return unreadable(scanned.error);
    constexpr Symbology kAll[] = {Symbology::Code128, Symbology::Code39, Symbology::Interleaved2of5,
                                  Symbology::Codabar, Symbology::Ean13,  Symbology::UpcA,
                                  Symbology::Ean8};
    std::optional<Verdict> best;
    for (const Symbology symbology : kAll) {
        const Verdict verdict = check(symbology, scanned.image, Context{expected});
        if (verdict.reads())
            return verdict;
        // A misreading says more than a symbology that found nothing.
        if (!best ||
            (best->outcome == Verdict::Outcome::NotRead && verdict.outcome == Verdict::Outcome::Misread))
            best = verdict;
    }
    return *best;
}

} // namespace verify

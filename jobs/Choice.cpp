#include "jobs/Choice.h"

#include <string_view>

namespace output {

namespace {

// Whether the kind is libzint's symbology that the library lists under this
// name: JAN-13 is its EAN-13, whatever name a kind goes by.
bool isLibrarys(const zintsym::Kind& kind, QStringView name)
{
    const zintsym::Kind* named = zintsym::kindNamed(name);
    return named && named->id == kind.id;
}

} // namespace

bool isEanFamily(Symbology symbology)
{
    switch (symbology) {
    case Symbology::Ean13:
    case Symbology::Jan13:
    case Symbology::Isbn:
    case Symbology::UpcA: return true;
    default: return false;
    }
}

const zintsym::Kind* drawingKind(Symbology symbology, const LibraryChoice& library)
{
    if (library.kind)
        return library.kind;
    if (!isEanFamily(symbology) || (!library.standardProportions && library.options.addon.isEmpty()))
        return nullptr;
    // The library lists the window's four under the window's names.
    return zintsym::kindNamed(QString::fromLatin1(symbologyInfo(symbology).cliName));
}

std::optional<ean::PrintedForm> printedFormOf(Symbology symbology)
{
    switch (symbology) {
    case Symbology::Ean13: return ean::PrintedForm::Ean13;
    case Symbology::Jan13: return ean::PrintedForm::Jan13;
    case Symbology::Isbn: return ean::PrintedForm::Isbn;
    case Symbology::UpcA: return ean::PrintedForm::UpcA;
    case Symbology::Ean8: return ean::PrintedForm::Ean8;
    default: return std::nullopt;
    }
}

std::optional<ean::PrintedForm> printedFormOf(const zintsym::Kind& kind)
{
    // EAN-8 is libzint's EAN-13 symbology given fewer digits: only its name tells.
    if (kind.name && std::string_view(kind.name) == "ean8")
        return ean::PrintedForm::Ean8;
    if (isLibrarys(kind, u"ean13"))
        return ean::PrintedForm::Ean13;
    if (isLibrarys(kind, u"upca"))
        return ean::PrintedForm::UpcA;
    if (isLibrarys(kind, u"upce"))
        return ean::PrintedForm::UpcE;
    if (isLibrarys(kind, u"isbn"))
        return ean::PrintedForm::Isbn;
    return std::nullopt;
}

QString choiceTitle(Symbology symbology, const LibraryChoice& library)
{
    return library.kind ? QString::fromUtf8(library.kind->title) : symbologyTitle(symbology);
}

SymbolResult drawChosen(SymbolSurfaces& surfaces, Symbology symbology, const linear::Options& options,
                        const LibraryChoice& library, const QString& data)
{
    const zintsym::Kind* kind = drawingKind(symbology, library);
    const std::optional<ean::PrintedForm> form =
        library.kind ? printedFormOf(*library.kind) : printedFormOf(symbology);
    // Empty or overlong data gets the window's own words, whoever draws it.
    if (!form || data.isEmpty() || data.size() > kMaxDataLength)
        return kind ? drawSymbol(surfaces, *kind, data, library.options)
                    : drawSymbol(surfaces, symbology, data, options);
    const ean::PrintedCode printed = ean::printedCode(*form, data);
    if (!printed.ok())
        return {nullptr, printed.error};
    // The window's encoders add the check digit themselves; the library takes
    // the whole number, and an ISBN as its EAN.
    return kind ? drawSymbol(surfaces, *kind, printed.code, library.options)
                : drawSymbol(surfaces, symbology, printed.withoutCheck(), options);
}

} // namespace output

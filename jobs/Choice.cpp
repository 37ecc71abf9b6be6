#include "jobs/Choice.h"

#include <array>
#include <string_view>

namespace output {

namespace {

// libzint's numbers for the EAN/UPC symbols (zint.h): the library's symbol for
// the window's EAN-13 family is looked up by them, whatever the command-line
// name the adapter gives it.
constexpr int kZintEan = 13;
constexpr int kZintEanChecked = 14;
constexpr int kZintUpcA = 34;
constexpr int kZintUpcAChecked = 35;
constexpr int kZintUpcE = 37;
constexpr int kZintUpcEChecked = 38;
constexpr int kZintIsbn = 69;

const zintsym::Kind* kindWithId(std::initializer_list<int> ids)
{
    for (const int id : ids)
        for (const zintsym::Kind& k : zintsym::kinds())
            if (k.id == id && std::string_view(k.name) != "ean8")
                return &k;
    return nullptr;
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
    // An ISBN is an EAN-13 of 978 or 979: the number is checked as an ISBN
    // before it gets here.
    return symbology == Symbology::UpcA ? kindWithId({kZintUpcA, kZintUpcAChecked})
                                        : kindWithId({kZintEan, kZintEanChecked});
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
    const std::string_view name(kind.name);
    if (name == "ean8")
        return ean::PrintedForm::Ean8;
    if (name == "upce")
        return ean::PrintedForm::UpcE;
    switch (kind.id) {
    case kZintEan:
    case kZintEanChecked: return ean::PrintedForm::Ean13;
    case kZintUpcA:
    case kZintUpcAChecked: return ean::PrintedForm::UpcA;
    case kZintUpcE:
    case kZintUpcEChecked: return ean::PrintedForm::UpcE;
    case kZintIsbn: return ean::PrintedForm::Isbn;
    default: return std::nullopt;
    }
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
    // Both encoders add the check digit themselves, the one just verified.
    return kind ? drawSymbol(surfaces, *kind, printed.withoutCheck(), library.options)
                : drawSymbol(surfaces, symbology, printed.withoutCheck(), options);
}

} // namespace output

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
    // The library lists the window's four under the window's names.
    if (const zintsym::Kind* same = zintsym::kindNamed(QString::fromLatin1(symbologyInfo(symbology).cliName)))
        return same;
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
    // The window's encoders add the check digit themselves; the library takes
    // the whole number, and an ISBN as its EAN.
    return kind ? drawSymbol(surfaces, *kind, printed.code, library.options)
                : drawSymbol(surfaces, symbology, printed.withoutCheck(), options);
}

} // namespace output

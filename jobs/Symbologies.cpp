#include "jobs/Symbologies.h"

#include <algorithm>
#include <ranges>

namespace output {

// Looked up by its enum's value.
static_assert(std::ranges::all_of(std::views::iota(size_t(0), kSymbologies.size()),
                                  [](size_t i) { return size_t(kSymbologies[i].symbology) == i; }));

const SymbologyInfo& symbologyInfo(Symbology symbology)
{
    return kSymbologies[size_t(symbology)];
}

std::optional<Symbology> symbologyNamed(QStringView name)
{
    for (const SymbologyInfo& info : kSymbologies)
        if (name == QLatin1String(info.displayName) || name == QLatin1String(info.cliName))
            return info.symbology;
    return std::nullopt;
}

std::optional<Symbology> symbologyFromName(const QString& name)
{
    for (const SymbologyInfo& s : kSymbologies)
        if (s.visible && name.compare(QLatin1String(s.cliName), Qt::CaseInsensitive) == 0)
            return s.symbology;
    return std::nullopt;
}

const zintsym::Kind* libraryKindNamed(QStringView name)
{
    // The window's buttons answer first; its hidden EAN-8 takes no add-on,
    // libzint's does.
    const QStringView trimmed = name.trimmed();
    for (const SymbologyInfo& s : kSymbologies)
        if (s.visible && (trimmed.compare(QLatin1String(s.cliName), Qt::CaseInsensitive) == 0 ||
                          trimmed.compare(QLatin1String(s.displayName), Qt::CaseInsensitive) == 0))
            return nullptr;
    return zintsym::kindNamed(trimmed);
}

std::span<const zintsym::Kind> libraryKinds()
{
    return zintsym::kinds();
}

QString symbologyTitle(Symbology symbology)
{
    return QString::fromLatin1(symbologyInfo(symbology).displayName);
}

} // namespace output

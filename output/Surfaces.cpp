#include "output/Surfaces.h"

#include "output/Fonts.h"

namespace output {

namespace {

constexpr bool inEnumOrder()
{
    for (size_t i = 0; i < kSurfaces.size(); ++i)
        if (size_t(kSurfaces[i].id) != i)
            return false;
    for (size_t i = 0; i < kSymbologies.size(); ++i)
        if (size_t(kSymbologies[i].symbology) != i)
            return false;
    return true;
}
static_assert(inEnumOrder(), "the tables are looked up by their enum's value");

} // namespace

const SurfaceSpec& surfaceSpec(SurfaceId id)
{
    return kSurfaces[size_t(id)];
}

draw::Surface makeSurface(SurfaceId id, QObject* parent)
{
    const SurfaceSpec& spec = surfaceSpec(id);
    return draw::Surface(QString::fromLatin1(spec.name), spec.twips, spec.scale,
                         spec.labelPoints > 0 ? tahoma(spec.labelPoints) : QFont(), parent);
}

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

} // namespace output

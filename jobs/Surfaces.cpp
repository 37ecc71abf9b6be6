#include "jobs/Surfaces.h"

#include "jobs/Fonts.h"

namespace output {

namespace {

constexpr bool inEnumOrder()
{
    for (size_t i = 0; i < kSurfaces.size(); ++i)
        if (size_t(kSurfaces[i].id) != i)
            return false;
    return true;
}
static_assert(inEnumOrder(), "the table is looked up by its enum's value");

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

} // namespace output

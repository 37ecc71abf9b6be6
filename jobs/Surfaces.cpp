#include "jobs/Surfaces.h"

#include "jobs/Fonts.h"

#include <algorithm>
#include <ranges>

namespace output {

// Looked up by its enum's value.
static_assert(std::ranges::all_of(std::views::iota(size_t(0), kSurfaces.size()),
                                  [](size_t i) { return size_t(kSurfaces[i].id) == i; }));

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

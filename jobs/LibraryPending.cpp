// Stands in for the adapter's own drawSymbol until it is merged: the library's
// symbol drawn on Picture1, which a library symbology leaves unused.
#include "jobs/SymbolJob.h"

namespace output {

SymbolResult drawSymbol(SymbolSurfaces& surfaces, const zintsym::Kind& kind, const QString& data,
                        const zintsym::Options& options)
{
    const zintsym::Drawn drawn = zintsym::draw(surfaces.Picture1(), kind, data, options);
    if (!drawn.ok())
        return {nullptr, drawn.error};
    return {&surfaces.Picture1(), {}, drawn.reading};
}

} // namespace output

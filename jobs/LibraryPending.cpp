// Stands in for the libzint adapter until it is merged: no symbology of the
// library's, so the window's eight are all there is.
#include "jobs/SymbolJob.h"

namespace zintsym {

QString groupTitle(Group)
{
    return {};
}
std::span<const Kind> kinds()
{
    return {};
}
const Kind* kindNamed(QStringView)
{
    return nullptr;
}
QStringList eccLevels(const Kind&)
{
    return {};
}
QStringList symbolSizes(const Kind&)
{
    return {};
}
Drawn draw(draw::Surface&, const Kind&, const QString&, const Options&)
{
    return {QStringLiteral("not available"), {}};
}

} // namespace zintsym

namespace output {

SymbolResult drawSymbol(SymbolSurfaces&, const zintsym::Kind&, const QString&, const zintsym::Options&)
{
    return {nullptr, QStringLiteral("not available")};
}

} // namespace output

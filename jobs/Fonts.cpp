#include "jobs/Fonts.h"

#include <QFile>
#include <QFontDatabase>

namespace output {

void ensureTahoma()
{
    if (QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
        return;
    for (const char* path : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        if (QFile::exists(QString::fromLatin1(path)))
            QFontDatabase::addApplicationFont(QString::fromLatin1(path));
    }
}

QFont tahoma(double points, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QStringList screenFonts()
{
    // Families offered by several foundries come as "Name [Foundry]"; a label
    // font is chosen by name alone.
    QStringList names;
    for (QString family : QFontDatabase::families()) {
        if (const qsizetype bracket = family.indexOf(QLatin1String(" [")); bracket > 0)
            family.truncate(bracket);
        names << family;
    }
    names.removeDuplicates();
    return names;
}

} // namespace output

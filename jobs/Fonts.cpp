#include "jobs/Fonts.h"

#include <QFile>
#include <QFontDatabase>

#include <mutex>

namespace output {

void ensureTahoma()
{
    // Asking for a family reads every installed font, which is most of the
    // time a one-symbol command takes: once per process, and only when text
    // is to be drawn.
    static std::once_flag once;
    std::call_once(once, [] {
        if (QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
            return;
        for (const char* path : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
            if (QFile::exists(QString::fromLatin1(path)))
                QFontDatabase::addApplicationFont(QString::fromLatin1(path));
        }
    });
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

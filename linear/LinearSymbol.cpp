#include "linear/LinearSymbol.h"

namespace linear {

QString invalidCharacterMessage(const QString& text, qsizetype index)
{
    const bool pair =
        text.at(index).isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate();
    return text.mid(index, pair ? 2 : 1) + QStringLiteral(" is Invalid");
}

} // namespace linear

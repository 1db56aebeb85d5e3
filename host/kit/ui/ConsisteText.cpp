#include "Consiste.h"

namespace Consiste {

bool EmptyString(const QString& text)
{
    return text.trimmed().isEmpty();
}

QString Ajusta(const QString& text, int width)
{
    return text.trimmed().rightJustified(width, QLatin1Char('0'));
}

} // namespace Consiste

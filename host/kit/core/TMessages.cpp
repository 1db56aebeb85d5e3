#include "TMessages.h"

#include "Exception.h"

QString TMessages::Msg(const QString& key) const
{
    for (const QString& line : lines_) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (bar >= 0 && QStringView(line).left(bar) == key)
            return line.mid(bar + 1);
    }
    throw Exception(QStringLiteral("Mensagem '%1' não cadastrada.").arg(key));
}

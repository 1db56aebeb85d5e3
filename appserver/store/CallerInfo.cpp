#include "CallerInfo.h"

#include <QStringDecoder>

QString CallerInfo::userFromHeader(QByteArrayView header)
{
    // Never more bytes than the longest name could take, whatever the client sent.
    QStringDecoder decode(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decode(header.first(std::min<qsizetype>(header.size(), MaxUserLength * 4)));
    text.removeIf(
        [](QChar c) { return c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter; });
    text = text.trimmed();
    text.truncate(MaxUserLength);
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

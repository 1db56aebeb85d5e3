#include "DateText.h"

#include "EConvertError.h"

#include <QList>

namespace DateText {

namespace {

// Digits only, `minDigits` to `maxDigits` of them; -1 otherwise.
int number(QStringView part, qsizetype minDigits, qsizetype maxDigits)
{
    if (part.size() < minDigits || part.size() > maxDigits)
        return -1;
    int value = 0;
    for (const QChar c : part) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

int fullYear(QStringView part)
{
    const int year = number(part, 2, 4);
    if (part.size() == 3 || year < 0)
        return -1;
    if (part.size() == 4)
        return year;
    return year < 50 ? 2000 + year : 1900 + year;
}

} // namespace

bool isBlank(QStringView text)
{
    for (const QChar c : text) {
        if (!c.isSpace() && c != u'/')
            return false;
    }
    return true;
}

QDate parse(QStringView text)
{
    const QList<QStringView> parts = text.split(u'/');
    if (parts.size() != 3)
        return {};
    const int day = number(parts[0].trimmed(), 1, 2);
    const int month = number(parts[1].trimmed(), 1, 2);
    const int year = fullYear(parts[2].trimmed());
    if (day < 1 || month < 1 || year < 1)
        return {};
    return QDate(year, month, day); // invalid for 31/02 and the like
}

QString format(QDate date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

void raiseInvalid(const QString& text)
{
    throw EConvertError(QStringLiteral("'%1' não é uma data válida.").arg(text.trimmed()));
}

} // namespace DateText

#include "LocaleDecimalText.h"

#include <QLocale>

namespace LocaleDecimalText {
namespace {

// Takes `prefix` (or, failing that, `alternative`) off the front of `text`.
bool take(QStringView& text, QStringView prefix, QStringView alternative = {})
{
    for (QStringView candidate : {prefix, alternative}) {
        if (!candidate.isEmpty() && text.startsWith(candidate)) {
            text = text.mid(candidate.size());
            return true;
        }
    }
    return false;
}

// Appends leading digits of `text` to `out`; returns how many.
int takeDigits(QStringView& text, QByteArray& out)
{
    int count = 0;
    while (!text.isEmpty() && text.front().digitValue() >= 0) {
        out += char('0' + text.front().digitValue());
        text = text.mid(1);
        ++count;
    }
    return count;
}

// Integer digits with optional group separators; false when they are misplaced.
bool takeInteger(QStringView& text, QByteArray& out, QStringView group)
{
    // Users type a plain space where the locale groups with a no-break space.
    const QStringView typedGroup = group.size() == 1 && group.front().isSpace() ? u" " : QStringView();
    int inGroup = takeDigits(text, out);
    bool grouped = false;
    while (take(text, group, typedGroup)) {
        if (inGroup == 0 || (grouped && inGroup != 3) || inGroup > 3)
            return false;
        grouped = true;
        inGroup = takeDigits(text, out);
    }
    return !grouped || inGroup == 3;
}

} // namespace

QByteArray toCanonical(QStringView text, const QLocale& locale)
{
    QByteArray out;
    if (take(text, locale.negativeSign(), u"-"))
        out += '-';
    else
        take(text, locale.positiveSign(), u"+");

    QByteArray integer;
    if (!takeInteger(text, integer, locale.groupSeparator()))
        return {};
    QByteArray fraction;
    if (take(text, locale.decimalPoint()))
        takeDigits(text, fraction);
    if (!text.isEmpty() || (integer.isEmpty() && fraction.isEmpty()))
        return {};

    out += integer.isEmpty() ? QByteArray("0") : integer;
    if (!fraction.isEmpty())
        out += '.' + fraction;
    return out;
}

} // namespace LocaleDecimalText

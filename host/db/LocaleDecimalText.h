#pragma once

#include <QByteArray>
#include <QStringView>

class QLocale;

// A decimal number as a user types it in a locale ("-1.234,5" in pt_BR), brought to the canonical text
// DecimalText reads ("-1234.5").
namespace LocaleDecimalText {

// Empty when the text is no number in that locale: anything besides a sign, digits, group separators
// placed as the locale places them (between digits, three after each) and one decimal separator.
QByteArray toCanonical(QStringView text, const QLocale& locale);

} // namespace LocaleDecimalText

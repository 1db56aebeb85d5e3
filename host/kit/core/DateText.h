#pragma once

#include <QDate>
#include <QString>

// Dates as users type them here: day, month, year, separated by '/'. Shared by the date edit and the
// date-text routine of Consiste so both accept and refuse the same texts.
namespace DateText {

// Nothing but blanks and separators, as an untouched masked date shows.
bool isBlank(QStringView text);

// "dd/mm/yyyy", also with one-digit day or month and a two-digit year (00-49 → 20xx, 50-99 → 19xx);
// blanks around the parts are ignored. An invalid QDate when the text names no real date.
QDate parse(QStringView text);

// "dd/MM/yyyy".
QString format(QDate date);

// Raises EConvertError "'text' não é uma data válida.".
[[noreturn]] void raiseInvalid(const QString& text);

} // namespace DateText

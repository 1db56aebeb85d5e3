#pragma once

#include <QChar>
#include <QString>
#include <QVariant>

class TField;

// How data-aware controls show a stored value of a field on any line, and which characters a user may
// type for it.
namespace FieldText {

// The value as the field's DisplayText shows it on the current line: display format, the default
// locale's separators. Never raises: a format the field cannot apply shows the plain value.
QString Display(const TField& field, const QVariant& value);
// Digits, sign and the locale's separators for numbers; digits and date separators for dates; anything
// printable for text.
bool Accepts(const TField& field, QChar c);

} // namespace FieldText

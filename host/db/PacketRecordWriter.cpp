#include "PacketRecordWriter.h"

#include "Currency.h"
#include "DecimalText.h"
#include "FieldValue.h"
#include "IsoDateText.h"
#include "TDateTime.h"

#include <cmath>

namespace {

using FieldValue::held;
using FieldValue::refuse;

void writeQuoted(JsonWriter& out, const char* text, std::size_t length)
{
    out.put('"');
    out.raw(text, length);
    out.put('"');
}

void writeValue(JsonWriter& out, const FieldDef& field, const QVariant& value)
{
    if (!value.isValid())
        return out.literal("null");
    switch (field.type) {
    case TFieldType::ftString:
        return out.string(held<QString>(field, value));
    case TFieldType::ftDateTime: {
        char text[IsoDateText::MaxLength];
        const std::size_t length = IsoDateText::write(held<TDateTime>(field, value), text);
        if (length == 0)
            refuse(field, QStringLiteral("a data está fora do intervalo de 0001-01-01 a 9999-12-31."));
        return writeQuoted(out, text, length);
    }
    case TFieldType::ftBCD: {
        char text[DecimalText::MaxLength];
        return writeQuoted(out, text, DecimalText::write(held<Currency>(field, value).raw(), text));
    }
    case TFieldType::ftFloat: {
        const double number = held<double>(field, value);
        if (!std::isfinite(number))
            refuse(field, QStringLiteral("o valor %1 não é um número finito.").arg(number));
        return out.number(number);
    }
    }
}

} // namespace

void writeRecord(JsonWriter& out, const FieldDefs& fields, const Record& record)
{
    if (record.size() != fields.size()) {
        throw EDatabaseError(
            QStringLiteral("Linha com %1 valores para %2 campos.").arg(record.size()).arg(fields.size()));
    }
    out.put('[');
    for (qsizetype i = 0; i < record.size(); ++i) {
        if (i > 0)
            out.put(',');
        writeValue(out, fields[i], record[i]);
    }
    out.put(']');
}

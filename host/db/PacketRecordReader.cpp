#include "PacketRecordReader.h"

#include "Currency.h"
#include "DecimalText.h"
#include "EDatabaseError.h"
#include "FieldValue.h"
#include "IsoDateText.h"
#include "TDateTime.h"

namespace sj = simdjson::ondemand;

namespace {

[[noreturn]] void refuse(const PacketPlace& place, const QString& problem)
{
    throw EDatabaseError(QStringLiteral("Pacote de dados inválido, %1: %2").arg(place.text(), problem));
}

QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

QString PacketPlace::text() const
{
    if (!part)
        return QStringLiteral("linha %1").arg(index + 1);
    return QStringLiteral("alteração %1, '%2'").arg(index + 1).arg(QLatin1StringView(part));
}

PacketRecordReader::PacketRecordReader(const FieldDefs& fields)
    : fields_(fields), last_(std::size_t(fields.size()))
{}

Record PacketRecordReader::read(sj::value line, const PacketPlace& place)
{
    if (sj::json_type(line.type()) != sj::json_type::array)
        refuse(place, QStringLiteral("a linha deve ser uma lista de valores."));
    const qsizetype count = fields_.size();
    Record record(count);
    QVariant* values = record.data();
    qsizetype column = 0;
    for (sj::value item : line.get_array()) {
        if (column == count)
            refuse(place, QStringLiteral("há mais valores que os %1 campos.").arg(count));
        try {
            values[column] = value(item, column);
        } catch (const EDatabaseError& e) {
            refuse(place, e.Message());
        }
        ++column;
    }
    if (column != count)
        refuse(place, QStringLiteral("%1 valores para %2 campos.").arg(column).arg(count));
    return record;
}

QVariant PacketRecordReader::value(sj::value item, qsizetype column)
{
    const sj::json_type type = item.type();
    if (type == sj::json_type::string && fields_[column].type != TFieldType::ftFloat)
        return fromText(item.get_string(), column);
    return fromOtherJson(item, type, column);
}

const QVariant& PacketRecordReader::fromText(std::string_view text, qsizetype column)
{
    LastText& last = last_[std::size_t(column)];
    if (!last.value.isValid() || text != last.text) {
        last.value = fields_[column].normalize(parsedText(text, column));
        last.text.assign(text);
    }
    return last.value;
}

QVariant PacketRecordReader::parsedText(std::string_view text, qsizetype column) const
{
    const FieldDef& field = fields_[column];
    switch (field.type) {
    case TFieldType::ftDateTime: {
        TDateTime date;
        if (!IsoDateText::parse(text.data(), text.size(), date))
            FieldValue::refuse(field, IsoDateText::errorMessage(utf8(text)));
        return QVariant::fromValue(date);
    }
    case TFieldType::ftBCD: {
        std::int64_t ticks = 0;
        const auto status = DecimalText::parse(text.data(), text.data() + text.size(), ticks);
        if (status != DecimalText::Status::Ok)
            FieldValue::refuse(field, DecimalText::errorMessage(status, utf8(text)));
        return QVariant::fromValue(Currency::fromRaw(ticks));
    }
    default:
        return utf8(text);
    }
}

QVariant PacketRecordReader::fromOtherJson(sj::value item, sj::json_type type, qsizetype column) const
{
    const FieldDef& field = fields_[column];
    if (type == sj::json_type::null) {
        if (!bool(item.is_null()))
            FieldValue::refuse(field, QStringLiteral("valor malformado."));
        return {};
    }
    if (field.type != TFieldType::ftFloat)
        FieldValue::refuse(field, QStringLiteral("o valor deve ser um texto."));
    if (type != sj::json_type::number)
        FieldValue::refuse(field, QStringLiteral("o valor deve ser um número."));
    return field.normalize(QVariant(double(item.get_double())));
}

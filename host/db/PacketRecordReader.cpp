#include "PacketRecordReader.h"

#include "Currency.h"
#include "DecimalText.h"
#include "EDatabaseError.h"
#include "IsoDateText.h"
#include "TDateTime.h"

namespace sj = simdjson::ondemand;

namespace {

[[noreturn]] void refuse(const PacketPlace& place, const QString& problem)
{
    throw EDatabaseError(QStringLiteral("Pacote de dados inválido, %1: %2").arg(place.text(), problem));
}

[[noreturn]] void refuseValue(const FieldDef& field, const QString& problem)
{
    throw EDatabaseError(QStringLiteral("Campo %1: %2").arg(field.name, problem));
}

std::string_view stringOf(sj::value item, sj::json_type type, const FieldDef& field)
{
    if (type != sj::json_type::string)
        refuseValue(field, QStringLiteral("o valor deve ser um texto."));
    return item.get_string();
}

} // namespace

QString PacketPlace::text() const
{
    if (!part)
        return QStringLiteral("linha %1").arg(index + 1);
    return QStringLiteral("alteração %1, '%2'").arg(index + 1).arg(QLatin1StringView(part));
}

PacketRecordReader::PacketRecordReader(const FieldDefs& fields)
    : fields_(fields), lastTexts_(std::size_t(fields.size()))
{
}

Record PacketRecordReader::read(sj::value line, const PacketPlace& place)
{
    if (sj::json_type(line.type()) != sj::json_type::array)
        refuse(place, QStringLiteral("a linha deve ser uma lista de valores."));
    const qsizetype count = fields_.size();
    Record record;
    record.reserve(count);
    for (sj::value item : line.get_array()) {
        if (record.size() == count)
            refuse(place, QStringLiteral("há mais valores que os %1 campos.").arg(count));
        record.append(value(item, record.size(), place));
    }
    if (record.size() != count)
        refuse(place, QStringLiteral("%1 valores para %2 campos.").arg(record.size()).arg(count));
    return record;
}

QVariant PacketRecordReader::value(sj::value item, qsizetype column, const PacketPlace& place)
{
    const sj::json_type type = item.type();
    if (type == sj::json_type::null) {
        if (!bool(item.is_null()))
            refuse(place, QStringLiteral("valor malformado."));
        return {};
    }
    try {
        return fields_[column].normalize(parsed(item, type, column));
    } catch (const EDatabaseError& e) {
        refuse(place, e.Message());
    }
}

QVariant PacketRecordReader::parsed(sj::value item, sj::json_type type, qsizetype column)
{
    const FieldDef& field = fields_[column];
    switch (field.type) {
    case TFieldType::ftString:
        return text(column, stringOf(item, type, field));
    case TFieldType::ftDateTime: {
        const std::string_view iso = stringOf(item, type, field);
        TDateTime date;
        if (!IsoDateText::parse(iso.data(), iso.size(), date))
            refuseValue(field, IsoDateText::errorMessage(QString::fromUtf8(iso.data(), qsizetype(iso.size()))));
        return QVariant::fromValue(date);
    }
    case TFieldType::ftBCD: {
        const std::string_view decimal = stringOf(item, type, field);
        std::int64_t ticks = 0;
        const auto status = DecimalText::parse(decimal.data(), decimal.data() + decimal.size(), ticks);
        if (status != DecimalText::Status::Ok) {
            refuseValue(field, DecimalText::errorMessage(
                                   status, QString::fromUtf8(decimal.data(), qsizetype(decimal.size()))));
        }
        return QVariant::fromValue(Currency::fromRaw(ticks));
    }
    case TFieldType::ftFloat:
        if (type != sj::json_type::number)
            refuseValue(field, QStringLiteral("o valor deve ser um número."));
        return QVariant(double(item.get_double()));
    }
    refuseValue(field, QStringLiteral("tipo de campo desconhecido."));
}

const QString& PacketRecordReader::text(qsizetype column, std::string_view utf8)
{
    LastText& last = lastTexts_[std::size_t(column)];
    if (last.text.isNull() || utf8 != last.utf8) {
        last.utf8.assign(utf8);
        last.text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    }
    return last.text;
}

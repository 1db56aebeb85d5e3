#include "PacketRecordReader.h"

#include "Currency.h"
#include "DecimalText.h"
#include "EDatabaseError.h"
#include "FieldValue.h"
#include "IsoDateText.h"
#include "RecordTable.h"
#include "TDateTime.h"

#include <QStringDecoder>
#include <algorithm>

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

// A string value's text between its quotes as the packet holds it, escapes and all, without reading it.
std::string_view rawText(sj::value& item)
{
    std::string_view token = item.raw_json_token();
    // The token runs up to the next structural character: whitespace may trail the closing quote.
    while (!token.empty() &&
           (token.back() == ' ' || token.back() == '\n' || token.back() == '\r' || token.back() == '\t'))
        token.remove_suffix(1);
    if (token.size() < 2 || token.front() != '"' || token.back() != '"')
        throw simdjson::simdjson_error(simdjson::STRING_ERROR);
    return token.substr(1, token.size() - 2);
}

template <typename Cell> void appendCell(RecordColumn& target, const Cell& cell)
{
    std::visit(
        [&target](const auto& value) {
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::monostate>)
                target.appendNull();
            else
                target.append(value);
        },
        cell);
}

// A string value's text: as it stands in the packet unless it holds escapes, which simdjson reads.
// simdjson checked the whole packet's UTF-8 already.
std::string_view unescaped(sj::value& item, std::string_view raw)
{
    return raw.find('\\') == std::string_view::npos ? raw : std::string_view(item.get_string());
}

} // namespace

QString PacketPlace::text() const
{
    if (!part)
        return QStringLiteral("linha %1").arg(index + 1);
    return QStringLiteral("alteração %1, '%2'").arg(index + 1).arg(QLatin1StringView(part));
}

PacketRecordReader::PacketRecordReader(const FieldDefs& fields)
    : fields_(fields), last_(std::size_t(fields.size())), recent_(std::size_t(fields.size())),
      bcdFits_(std::size_t(fields.size()))
{
    for (qsizetype c = 0; c < fields.size(); ++c) {
        const FieldDef& field = fields[c];
        if (field.type != TFieldType::ftBCD || field.scale < 0 || field.scale > Currency::Decimals)
            continue;
        BcdFit& fit = bcdFits_[std::size_t(c)];
        fit.unit = 1;
        for (int i = field.scale; i < Currency::Decimals; ++i)
            fit.unit *= 10;
        // Below 10^(precision - scale) whole units, kept at 0 (never taken) where that overflows.
        std::int64_t limit = Currency::Scale;
        for (int i = 0; i < field.precision - field.scale && limit; ++i)
            limit = limit > INT64_MAX / 10 ? 0 : limit * 10;
        fit.limit = field.precision >= field.scale ? limit : 0;
    }
}

template <typename Read>
void PacketRecordReader::readLine(sj::value line, const PacketPlace& place, Read read)
{
    if (sj::json_type(line.type()) != sj::json_type::array)
        refuse(place, QStringLiteral("a linha deve ser uma lista de valores."));
    const qsizetype count = fields_.size();
    qsizetype column = 0;
    for (sj::value item : line.get_array()) {
        if (column == count)
            refuse(place, QStringLiteral("há mais valores que os %1 campos.").arg(count));
        try {
            read(item, column);
        } catch (const EDatabaseError& e) {
            refuse(place, e.Message());
        }
        ++column;
    }
    if (column != count)
        refuse(place, QStringLiteral("%1 valores para %2 campos.").arg(column).arg(count));
}

Record PacketRecordReader::read(sj::value line, const PacketPlace& place)
{
    Record record;
    record.reserve(fields_.size());
    const auto store = [&record](const Cell& cell) {
        record.append(std::visit(
            [](const auto& value) {
                if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::monostate>)
                    return QVariant();
                else
                    return QVariant::fromValue(value);
            },
            cell));
    };
    readLine(line, place, [this, &store](sj::value& item, qsizetype column) {
        const sj::json_type type = item.type();
        if (type == sj::json_type::string && fields_[column].type != TFieldType::ftFloat)
            store(fromText(item.get_string(), column));
        else
            store(fromOtherJson(item, type, column));
    });
    return record;
}

void PacketRecordReader::append(sj::value line, const PacketPlace& place, RecordTable& table)
{
    readLine(line, place, [this, &table](sj::value& item, qsizetype column) {
        appendValue(item, column, table.column(column));
    });
}

void PacketRecordReader::appendValue(sj::value& item, qsizetype column, RecordColumn& target)
{
    const sj::json_type type = item.type();
    const FieldDef& field = fields_[column];
    if (type != sj::json_type::string || field.type == TFieldType::ftFloat) {
        appendCell(target, fromOtherJson(item, type, column));
        return;
    }
    const std::string_view raw = rawText(item);
    PacketRecentTexts& recent = recent_[std::size_t(column)];
    if (const qsizetype row = recent.find(raw); row >= 0) {
        target.appendCopyOf(row);
        return;
    }
    const qsizetype row = target.size();
    if (field.type == TFieldType::ftString) {
        appendText(item, raw, column, target);
    } else {
        appendCell(target, parsedText(unescaped(item, raw), column));
    }
    recent.remember(raw, row);
}

void PacketRecordReader::appendText(sj::value& item, std::string_view raw, qsizetype column,
                                    RecordColumn& target)
{
    const FieldDef& field = fields_[column];
    target.appendUtf8(unescaped(item, raw), [&field](QStringView decoded) {
        field.checkText(QString::fromRawData(decoded.data(), decoded.size()));
    });
}

const PacketRecordReader::Cell& PacketRecordReader::fromText(std::string_view text, qsizetype column)
{
    LastText& last = last_[std::size_t(column)];
    if (std::holds_alternative<std::monostate>(last.value) || text != last.text) {
        if (fields_[column].type == TFieldType::ftString)
            decodeText(text, column, last);
        else
            last.value = parsedText(text, column);
        last.text.assign(text);
    }
    return last.value;
}

void PacketRecordReader::decodeText(std::string_view text, qsizetype column, LastText& last)
{
    // Into the text kept from the line before: its buffer is reused unless a line still shares it.
    auto* string = std::get_if<QString>(&last.value);
    if (!string)
        string = &last.value.emplace<QString>();
    string->resize(qsizetype(text.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QChar* end =
        decoder.appendToBuffer(string->data(), QByteArrayView(text.data(), qsizetype(text.size())));
    string->truncate(end - string->constData());
    try {
        fields_[column].checkText(*string);
    } catch (...) {
        last.value = {};
        throw;
    }
}

PacketRecordReader::Cell PacketRecordReader::parsedText(std::string_view text, qsizetype column) const
{
    const FieldDef& field = fields_[column];
    switch (field.type) {
    case TFieldType::ftDateTime: {
        TDateTime date;
        if (!IsoDateText::parse(text.data(), text.size(), date))
            FieldValue::refuse(field, IsoDateText::errorMessage(utf8(text)));
        field.checkDateTime(date);
        return date;
    }
    case TFieldType::ftBCD: {
        std::int64_t ticks = 0;
        const auto status = DecimalText::parse(text.data(), text.data() + text.size(), ticks);
        if (status != DecimalText::Status::Ok)
            FieldValue::refuse(field, DecimalText::errorMessage(status, utf8(text)));
        // Most values already have the field's scale and fit: they need no rounding.
        const BcdFit& fit = bcdFits_[std::size_t(column)];
        if (ticks % fit.unit == 0 && ticks > -fit.limit && ticks < fit.limit)
            return Currency::fromRaw(ticks);
        return field.fitBcd(Currency::fromRaw(ticks));
    }
    default:
        FieldValue::refuse(field, QStringLiteral("tipo de campo desconhecido."));
    }
}

PacketRecordReader::Cell PacketRecordReader::fromOtherJson(sj::value item, sj::json_type type,
                                                           qsizetype column) const
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
    const double number = item.get_double();
    field.checkFloat(number);
    return number;
}

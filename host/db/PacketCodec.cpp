#include "PacketCodec.h"

#include "Currency.h"
#include "DecimalText.h"
#include "EDatabaseError.h"
#include "IsoDateText.h"
#include "JsonWriter.h"
#include "PacketRecordReader.h"
#include "TDateTime.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <simdjson.h>

namespace sj = simdjson::ondemand;

namespace {

// ------------------------------------------------------------------------------------------ writing

[[noreturn]] void refuseToWrite(const FieldDef& field, const QString& problem)
{
    throw EDatabaseError(QStringLiteral("Campo %1: %2").arg(field.name, problem));
}

template <typename T>
const T& held(const FieldDef& field, const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<T>()) {
        refuseToWrite(field, QStringLiteral("um valor do tipo %1 não serve para um campo %2.")
                                 .arg(QString::fromLatin1(value.metaType().name()), fieldTypeName(field.type)));
    }
    return *static_cast<const T*>(value.constData());
}

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
            refuseToWrite(field, QStringLiteral("a data está fora do intervalo de 0001-01-01 a 9999-12-31."));
        return writeQuoted(out, text, length);
    }
    case TFieldType::ftBCD: {
        char text[DecimalText::MaxLength];
        return writeQuoted(out, text, DecimalText::write(held<Currency>(field, value).raw(), text));
    }
    case TFieldType::ftFloat: {
        const double number = held<double>(field, value);
        if (!std::isfinite(number))
            refuseToWrite(field, QStringLiteral("o valor %1 não é um número finito.").arg(number));
        return out.number(number);
    }
    }
}

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

void writeFieldDef(JsonWriter& out, const FieldDef& field)
{
    out.literal("{\"name\":");
    out.string(field.name);
    out.literal(",\"type\":");
    out.string(fieldTypeName(field.type));
    if (field.type == TFieldType::ftString) {
        out.literal(",\"size\":");
        out.integer(field.size);
    } else if (field.type == TFieldType::ftBCD) {
        out.literal(",\"precision\":");
        out.integer(field.precision);
        out.literal(",\"scale\":");
        out.integer(field.scale);
    }
    out.literal(",\"origin\":");
    out.string(field.origin);
    out.put('}');
}

// Opens the packet object with its field list; the caller adds the lines and closes it.
JsonWriter startPacket(const FieldDefs& fields, qsizetype lines)
{
    JsonWriter out(256 + lines * (fields.size() * 12 + 4));
    out.literal("{\"fields\":[");
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.put(',');
        writeFieldDef(out, fields[i]);
    }
    out.put(']');
    return out;
}

DataPacket finishPacket(JsonWriter& out)
{
    out.literal("]}");
    // Spare room past the text lets a reader of this very buffer parse it without a copy.
    return DataPacket(out.finish(SIMDJSON_PADDING));
}

const char* kindName(ChangeKind kind)
{
    switch (kind) {
    case ChangeKind::Inserted:
        return "inserted";
    case ChangeKind::Modified:
        return "modified";
    case ChangeKind::Deleted:
        return "deleted";
    }
    return "";
}

// ------------------------------------------------------------------------------------------ reading

[[noreturn]] void invalid(const QString& problem)
{
    throw EDatabaseError(QStringLiteral("Pacote de dados inválido: %1").arg(problem));
}

// The packet's text as simdjson reads it, SIMDJSON_PADDING readable bytes past its end: in place when
// the buffer has that room (packets written here do), otherwise from a padded copy.
class JsonInput {
public:
    explicit JsonInput(const QByteArray& json)
    {
        if (json.isEmpty())
            invalid(QStringLiteral("o pacote está vazio."));
        const auto size = std::size_t(json.size());
        const auto capacity = std::size_t(json.capacity());
        if (capacity >= size + SIMDJSON_PADDING) {
            view_ = simdjson::padded_string_view(json.constData(), size, capacity);
        } else {
            copy_ = simdjson::padded_string(json.constData(), size);
            view_ = copy_;
        }
        if (const auto error = parser_.iterate(view_).get(document_))
            throw simdjson::simdjson_error(error);
    }

    sj::object root()
    {
        if (sj::json_type(document_.type()) != sj::json_type::object)
            invalid(QStringLiteral("o pacote deve ser um objeto JSON."));
        return document_.get_object();
    }

    void checkEnd()
    {
        const char* rest = nullptr;
        if (document_.current_location().get(rest) == simdjson::SUCCESS)
            invalid(QStringLiteral("há texto após o fim do objeto."));
    }

private:
    simdjson::padded_string copy_;
    simdjson::padded_string_view view_;
    sj::parser parser_;
    sj::document document_;
};

template <typename Visit>
void forEachMember(sj::object object, Visit visit)
{
    for (auto member : object) {
        const std::string_view key = member.unescaped_key();
        visit(key, sj::value(member.value()));
    }
}

template <typename T>
void checkUnique(const std::optional<T>& seen, std::string_view key)
{
    if (seen)
        invalid(QStringLiteral("'%1' aparece duas vezes.").arg(QLatin1StringView(key)));
}

template <typename T>
T required(std::optional<T>& member, const char* key)
{
    if (!member)
        invalid(QStringLiteral("falta '%1'.").arg(QLatin1StringView(key)));
    return std::move(*member);
}

sj::array arrayOf(sj::value value, std::string_view key)
{
    if (sj::json_type(value.type()) != sj::json_type::array)
        invalid(QStringLiteral("'%1' deve ser uma lista.").arg(QLatin1StringView(key)));
    return value.get_array();
}

sj::object objectOf(sj::value value, const QString& what)
{
    if (sj::json_type(value.type()) != sj::json_type::object)
        invalid(QStringLiteral("%1 deve ser um objeto.").arg(what));
    return value.get_object();
}

QString textOf(sj::value value, std::string_view key)
{
    std::string_view text;
    if (value.get_string().get(text) != simdjson::SUCCESS)
        invalid(QStringLiteral("'%1' deve ser um texto.").arg(QLatin1StringView(key)));
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

int integerOf(sj::value value, std::string_view key)
{
    std::int64_t number = 0;
    if (value.get_int64().get(number) != simdjson::SUCCESS || number < 0 ||
        number > std::numeric_limits<int>::max())
        invalid(QStringLiteral("'%1' deve ser um número inteiro.").arg(QLatin1StringView(key)));
    return int(number);
}

struct DeclaredField {
    FieldDef def;
    std::optional<QString> type;
    std::optional<int> size, precision, scale;
};

FieldDef readFieldDef(sj::value value, qsizetype index)
{
    DeclaredField declared;
    forEachMember(objectOf(value, QStringLiteral("o item %1 de 'fields'").arg(index + 1)),
                  [&](std::string_view key, sj::value member) {
                      if (key == "name")
                          declared.def.name = textOf(member, key);
                      else if (key == "type")
                          declared.type = textOf(member, key);
                      else if (key == "origin")
                          declared.def.origin = textOf(member, key);
                      else if (key == "size")
                          declared.size = integerOf(member, key);
                      else if (key == "precision")
                          declared.precision = integerOf(member, key);
                      else if (key == "scale")
                          declared.scale = integerOf(member, key);
                  });

    FieldDef& def = declared.def;
    if (def.name.isEmpty())
        invalid(QStringLiteral("o item %1 de 'fields' não tem nome.").arg(index + 1));
    const auto refuse = [&](const QString& problem) { invalid(QStringLiteral("campo '%1': %2").arg(def.name, problem)); };
    if (!declared.type)
        refuse(QStringLiteral("falta 'type'."));
    try {
        def.type = fieldTypeFromName(*declared.type);
    } catch (const EDatabaseError& e) {
        refuse(e.Message());
    }
    if (def.type == TFieldType::ftString) {
        if (declared.size.value_or(0) < 1)
            refuse(QStringLiteral("'size' deve ser um inteiro positivo."));
        def.size = *declared.size;
    } else if (def.type == TFieldType::ftBCD) {
        def.precision = declared.precision.value_or(0);
        def.scale = declared.scale.value_or(-1);
        if (def.precision < 1 || def.scale < 0 || def.scale > def.precision)
            refuse(QStringLiteral("'precision' e 'scale' devem formar um decimal válido."));
    }
    return def;
}

FieldDefs readFieldDefs(sj::value value)
{
    FieldDefs fields;
    for (sj::value item : arrayOf(value, "fields")) {
        FieldDef field = readFieldDef(item, fields.size());
        if (std::any_of(fields.cbegin(), fields.cend(), [&](const FieldDef& f) { return f.name == field.name; }))
            invalid(QStringLiteral("o campo '%1' aparece duas vezes em 'fields'.").arg(field.name));
        fields.append(std::move(field));
    }
    return fields;
}

// What must match between a declared field and the record set's: the type and its dimensions.
QString shapeOf(const FieldDef& field)
{
    switch (field.type) {
    case TFieldType::ftString:
        return QStringLiteral("string(%1)").arg(field.size);
    case TFieldType::ftBCD:
        return QStringLiteral("bcd(%1, %2)").arg(field.precision).arg(field.scale);
    default:
        return fieldTypeName(field.type);
    }
}

void checkMatches(const FieldDefs& declared, const FieldDefs& expected)
{
    const auto mismatch = [](const QString& name, const QString& problem) {
        throw EDatabaseError(
            QStringLiteral("Pacote de dados não corresponde ao conjunto de registros: campo '%1' %2").arg(name, problem));
    };
    for (qsizetype i = 0; i < std::max(declared.size(), expected.size()); ++i) {
        if (i >= declared.size())
            mismatch(expected[i].name, QStringLiteral("falta no pacote."));
        if (i >= expected.size())
            mismatch(declared[i].name, QStringLiteral("não existe no conjunto de registros."));
        if (declared[i].name != expected[i].name) {
            mismatch(expected[i].name,
                     QStringLiteral("esperado na posição %1, onde o pacote traz '%2'.").arg(i + 1).arg(declared[i].name));
        }
        if (shapeOf(declared[i]) != shapeOf(expected[i])) {
            mismatch(expected[i].name, QStringLiteral("é %1 no pacote e %2 no conjunto de registros.")
                                           .arg(shapeOf(declared[i]), shapeOf(expected[i])));
        }
    }
}

QList<Record> readRows(sj::value value, const FieldDefs& fields)
{
    PacketRecordReader reader(fields);
    QList<Record> rows;
    for (sj::value line : arrayOf(value, "rows"))
        rows.append(reader.read(line, PacketPlace{rows.size()}));
    return rows;
}

ChangeKind kindFromName(const QString& name, qsizetype index)
{
    for (auto kind : {ChangeKind::Inserted, ChangeKind::Modified, ChangeKind::Deleted}) {
        if (name == QLatin1StringView(kindName(kind)))
            return kind;
    }
    invalid(QStringLiteral("a alteração %1 é de um tipo desconhecido: '%2'.").arg(index + 1).arg(name));
}

Change readChange(sj::value value, qsizetype index, PacketRecordReader& reader)
{
    std::optional<ChangeKind> kind;
    std::optional<Record> values, original;
    forEachMember(objectOf(value, QStringLiteral("a alteração %1").arg(index + 1)),
                  [&](std::string_view key, sj::value member) {
                      if (key == "kind") {
                          checkUnique(kind, key);
                          kind = kindFromName(textOf(member, key), index);
                      } else if (key == "values") {
                          checkUnique(values, key);
                          values = reader.read(member, PacketPlace{index, "values"});
                      } else if (key == "original") {
                          checkUnique(original, key);
                          original = reader.read(member, PacketPlace{index, "original"});
                      }
                  });
    const ChangeKind k = required(kind, "kind");
    // An insert has no earlier line, a deletion no current one.
    if (values.has_value() != (k != ChangeKind::Deleted) || original.has_value() != (k != ChangeKind::Inserted)) {
        static const char* const Expected[] = {"'values' e não 'original'", "'values' e 'original'",
                                               "'original' e não 'values'"};
        invalid(QStringLiteral("a alteração %1 (%2) deve trazer %3.")
                    .arg(index + 1)
                    .arg(QLatin1StringView(kindName(k)), QLatin1StringView(Expected[int(k)])));
    }
    return Change{k, values.value_or(Record()), original.value_or(Record())};
}

QList<Change> readChanges(sj::value value, const FieldDefs& fields)
{
    PacketRecordReader reader(fields);
    QList<Change> changes;
    for (sj::value item : arrayOf(value, "changes"))
        changes.append(readChange(item, changes.size(), reader));
    return changes;
}

// Reads the packet's members with `visit`: a malformed text raises, whatever part of it holds the fault.
template <typename Visit>
void readPacket(const DataPacket& packet, Visit visit)
{
    try {
        JsonInput input(packet.json());
        forEachMember(input.root(), visit);
        input.checkEnd();
    } catch (const simdjson::simdjson_error& e) {
        invalid(QStringLiteral("JSON malformado (%1).").arg(QString::fromUtf8(e.what())));
    }
}

// The content of a packet or change set whose field list must match `fields`; `member` ("rows",
// "changes") is read by `readContent`.
template <typename Content, typename ReadContent>
Content decode(const DataPacket& packet, const FieldDefs& fields, const char* member, ReadContent readContent)
{
    std::optional<FieldDefs> declared;
    std::optional<Content> content;
    readPacket(packet, [&](std::string_view key, sj::value value) {
        if (key == "fields") {
            checkUnique(declared, key);
            declared = readFieldDefs(value);
            checkMatches(*declared, fields);
        } else if (key == member) {
            checkUnique(content, key);
            content = readContent(value, fields);
        }
    });
    required(declared, "fields");
    return required(content, member);
}

} // namespace

namespace PacketCodec {

DataPacket encodePacket(const FieldDefs& fields, const QList<Record>& rows)
{
    JsonWriter out = startPacket(fields, rows.size());
    out.literal(",\"rows\":[");
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i > 0)
            out.put(',');
        writeRecord(out, fields, rows[i]);
    }
    return finishPacket(out);
}

QList<Record> decodePacket(const DataPacket& packet, const FieldDefs& fields)
{
    return decode<QList<Record>>(packet, fields, "rows", readRows);
}

DataPacket encodeChangeSet(const FieldDefs& fields, const QList<Change>& changes)
{
    JsonWriter out = startPacket(fields, changes.size() * 2);
    out.literal(",\"changes\":[");
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const Change& change = changes[i];
        if (i > 0)
            out.put(',');
        out.literal("{\"kind\":\"");
        out.raw(kindName(change.kind), std::strlen(kindName(change.kind)));
        out.put('"');
        if (change.kind != ChangeKind::Inserted) {
            out.literal(",\"original\":");
            writeRecord(out, fields, change.original);
        }
        if (change.kind != ChangeKind::Deleted) {
            out.literal(",\"values\":");
            writeRecord(out, fields, change.values);
        }
        out.put('}');
    }
    return finishPacket(out);
}

QList<Change> decodeChangeSet(const DataPacket& changeSet, const FieldDefs& fields)
{
    return decode<QList<Change>>(changeSet, fields, "changes", readChanges);
}

FieldDefs decodeFieldDefs(const DataPacket& packet)
{
    std::optional<FieldDefs> declared;
    readPacket(packet, [&](std::string_view key, sj::value value) {
        if (key == "fields") {
            checkUnique(declared, key);
            declared = readFieldDefs(value);
        }
    });
    return required(declared, "fields");
}

} // namespace PacketCodec

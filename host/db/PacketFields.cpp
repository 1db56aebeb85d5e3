#include "PacketFields.h"

#include "EDatabaseError.h"
#include "PacketJson.h"

#include <algorithm>
#include <optional>

using namespace PacketJson;

namespace {

void writeField(JsonWriter& out, const FieldDef& field)
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

// A field as declared, before it is known to be complete.
struct Declared {
    FieldDef def;
    std::optional<QString> type;
    std::optional<int> size, precision, scale;

    void read(std::string_view key, sj::value member)
    {
        if (key == "name")
            def.name = textOf(member, key);
        else if (key == "type")
            type = textOf(member, key);
        else if (key == "origin")
            def.origin = textOf(member, key);
        else if (key == "size")
            size = integerOf(member, key);
        else if (key == "precision")
            precision = integerOf(member, key);
        else if (key == "scale")
            scale = integerOf(member, key);
    }

    FieldDef complete(qsizetype index)
    {
        if (def.name.isEmpty())
            invalid(QStringLiteral("o item %1 de 'fields' não tem nome.").arg(index + 1));
        if (!type)
            refuse(QStringLiteral("falta 'type'."));
        try {
            def.type = fieldTypeFromName(*type);
        } catch (const EDatabaseError& e) {
            refuse(e.Message());
        }
        if (def.type == TFieldType::ftString) {
            def.size = size.value_or(0);
            if (def.size < 1)
                refuse(QStringLiteral("'size' deve ser um inteiro positivo."));
        } else if (def.type == TFieldType::ftBCD) {
            def.precision = precision.value_or(0);
            def.scale = scale.value_or(-1);
            if (def.precision < 1 || def.scale < 0 || def.scale > def.precision)
                refuse(QStringLiteral("'precision' e 'scale' devem formar um decimal válido."));
        }
        return def;
    }

    [[noreturn]] void refuse(const QString& problem) const
    {
        invalid(QStringLiteral("campo '%1': %2").arg(def.name, problem));
    }
};

// The type and its dimensions, as a message shows them.
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

// What must match between a declared field and the record set's: the type and its dimensions.
bool sameShape(const FieldDef& a, const FieldDef& b)
{
    if (a.type != b.type)
        return false;
    if (a.type == TFieldType::ftString)
        return a.size == b.size;
    if (a.type == TFieldType::ftBCD)
        return a.precision == b.precision && a.scale == b.scale;
    return true;
}

[[noreturn]] void mismatch(const QString& name, const QString& problem)
{
    throw EDatabaseError(
        QStringLiteral("Pacote de dados não corresponde ao conjunto de registros: campo '%1' %2")
            .arg(name, problem));
}

} // namespace

namespace PacketFields {

void write(JsonWriter& out, const FieldDefs& fields)
{
    out.put('[');
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.put(',');
        writeField(out, fields[i]);
    }
    out.put(']');
}

FieldDefs read(sj::value list)
{
    FieldDefs fields;
    for (sj::value item : arrayOf(list, "fields")) {
        Declared declared;
        const qsizetype index = fields.size();
        forEachMember(
            objectOf(item, [index] { return QStringLiteral("o item %1 de 'fields'").arg(index + 1); }),
            [&](std::string_view key, sj::value member) { declared.read(key, member); });
        FieldDef field = declared.complete(fields.size());
        if (std::any_of(fields.cbegin(), fields.cend(),
                        [&](const FieldDef& f) { return f.name == field.name; }))
            invalid(QStringLiteral("o campo '%1' aparece duas vezes em 'fields'.").arg(field.name));
        fields.append(std::move(field));
    }
    return fields;
}

void checkMatches(const FieldDefs& declared, const FieldDefs& expected)
{
    for (qsizetype i = 0; i < std::max(declared.size(), expected.size()); ++i) {
        if (i >= declared.size())
            mismatch(expected[i].name, QStringLiteral("falta no pacote."));
        if (i >= expected.size())
            mismatch(declared[i].name, QStringLiteral("não existe no conjunto de registros."));
        if (declared[i].name != expected[i].name) {
            mismatch(expected[i].name, QStringLiteral("esperado na posição %1, onde o pacote traz '%2'.")
                                           .arg(QString::number(i + 1), declared[i].name));
        }
        if (!sameShape(declared[i], expected[i])) {
            mismatch(expected[i].name, QStringLiteral("é %1 no pacote e %2 no conjunto de registros.")
                                           .arg(shapeOf(declared[i]), shapeOf(expected[i])));
        }
    }
}

} // namespace PacketFields

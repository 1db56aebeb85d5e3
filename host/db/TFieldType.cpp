#include "TFieldType.h"

#include "EDatabaseError.h"

QString fieldTypeName(TFieldType type)
{
    switch (type) {
    case TFieldType::ftString:
        return QStringLiteral("string");
    case TFieldType::ftDateTime:
        return QStringLiteral("datetime");
    case TFieldType::ftBCD:
        return QStringLiteral("bcd");
    case TFieldType::ftFloat:
        return QStringLiteral("float");
    }
    throw EDatabaseError(QStringLiteral("Tipo de campo desconhecido: %1.").arg(int(type)));
}

TFieldType fieldTypeFromName(QStringView name)
{
    for (auto type : {TFieldType::ftString, TFieldType::ftDateTime, TFieldType::ftBCD, TFieldType::ftFloat}) {
        if (name == fieldTypeName(type))
            return type;
    }
    throw EDatabaseError(QStringLiteral("Tipo de campo desconhecido: '%1'.").arg(name));
}

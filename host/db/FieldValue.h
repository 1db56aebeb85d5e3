#pragma once

#include "EDatabaseError.h"
#include "FieldDef.h"

#include <QVariant>

// Checks shared by the field rules and the packet writer: a refusal names the field.
namespace FieldValue {

[[noreturn]] inline void refuse(const FieldDef& field, const QString& problem)
{
    throw EDatabaseError(QStringLiteral("Campo %1: %2").arg(field.name, problem));
}

// The value as a T, refused when it holds anything else.
template <typename T> const T& held(const FieldDef& field, const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<T>()) {
        refuse(field, QStringLiteral("um valor do tipo %1 não serve para um campo %2.")
                          .arg(QString::fromLatin1(value.metaType().name()), fieldTypeName(field.type)));
    }
    return *static_cast<const T*>(value.constData());
}

} // namespace FieldValue

#include "TParam.h"

QVariant TParam::BindValue() const
{
    return IsNull() ? QVariant(QMetaType::fromType<QString>()) : value_;
}

#include "TColumnTitle.h"

#include "TColumn.h"
#include "TField.h"

QString TColumnTitle::Caption() const
{
    if (hasCaption_)
        return caption_;
    if (const TField* field = column_.Field())
        return field->DisplayLabel();
    return column_.FieldName();
}

void TColumnTitle::SetCaption(const QString& caption)
{
    caption_ = caption;
    hasCaption_ = true;
    column_.changed();
}

void TColumnTitle::SetAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    column_.changed();
}

#include "TColumn.h"

#include "TBCDField.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TDataSet.h"
#include "TDataSource.h"

#include <QFontMetrics>

namespace {

// Characters a field's text usually takes.
int displayChars(const TField& field)
{
    switch (field.DataType()) {
    case TFieldType::ftString:
        return std::max(1, field.Size());
    case TFieldType::ftDateTime:
        return 10;
    case TFieldType::ftBCD:
        return std::max(6, field.Def().precision + 2);
    case TFieldType::ftFloat:
        return 10;
    }
    return 10;
}

} // namespace

int TColumn::Index() const
{
    return owner_.IndexOf(this);
}

void TColumn::SetFieldName(const QString& fieldName)
{
    fieldName_ = fieldName;
    changed();
}

TField* TColumn::Field() const
{
    const TDataSource* source = owner_.Grid()->DataSource();
    const TDataSet* dataSet = source ? source->DataSet() : nullptr;
    return dataSet ? dataSet->FindField(fieldName_) : nullptr;
}

int TColumn::Width() const
{
    return HasWidth() ? width_ : defaultWidth();
}

int TColumn::defaultWidth() const
{
    const TDBGrid* grid = owner_.Grid();
    const QFontMetrics text(grid->font());
    const QFontMetrics title(grid->TitleFont());
    const TField* field = Field();
    const int chars = field ? displayChars(*field) : 10;
    return std::max(chars * text.horizontalAdvance(QLatin1Char('0')),
                    title.horizontalAdvance(title_.Caption())) +
           4;
}

void TColumn::SetWidth(int width)
{
    width_ = width;
    changed();
}

Qt::Alignment TColumn::Alignment() const
{
    if (hasAlignment_)
        return alignment_;
    const TField* field = Field();
    return field && field->IsNumeric() ? Qt::AlignRight : Qt::AlignLeft;
}

void TColumn::SetAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    hasAlignment_ = true;
    changed();
}

void TColumn::SetButtonStyle(TColumnButtonStyle style)
{
    if (buttonStyle_ == style)
        return;
    buttonStyle_ = style;
    changed();
}

void TColumn::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    changed();
}

void TColumn::SetVisible(bool visible)
{
    visible_ = visible;
    changed();
}

void TColumn::changed()
{
    owner_.notifyChanged(this);
}

#include "TColumns.h"

#include "TColumn.h"
#include "TDBGrid.h"

TColumns::TColumns(TDBGrid* grid) : QObject(grid), grid_(grid) {}

TColumns::~TColumns() = default;

TColumn* TColumns::Add()
{
    if (default_) {
        items_.clear();
        default_ = false;
    }
    items_.push_back(std::unique_ptr<TColumn>(new TColumn(*this)));
    emit columnsReset();
    return items_.back().get();
}

TColumn* TColumns::Items(int index) const
{
    return index >= 0 && index < Count() ? items_[std::size_t(index)].get() : nullptr;
}

int TColumns::IndexOf(const TColumn* column) const
{
    for (int i = 0; i < Count(); ++i) {
        if (items_[std::size_t(i)].get() == column)
            return i;
    }
    return -1;
}

void TColumns::Clear()
{
    items_.clear();
    default_ = true;
    emit columnsReset();
}

void TColumns::SetDefaults(const QStringList& fieldNames)
{
    if (!default_)
        return;
    items_.clear();
    for (const QString& name : fieldNames) {
        items_.push_back(std::unique_ptr<TColumn>(new TColumn(*this)));
        items_.back()->fieldName_ = name;
    }
    emit columnsReset();
}

void TColumns::notifyChanged(const TColumn* column)
{
    const int index = IndexOf(column);
    if (index >= 0)
        emit columnChanged(index);
}

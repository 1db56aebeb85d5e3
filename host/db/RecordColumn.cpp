#include "RecordColumn.h"

#include "EDatabaseError.h"

namespace {

template <typename List> using ValueOf = typename std::decay_t<List>::value_type;

template <typename T> T typed(const QVariant& value)
{
    return value.isValid() ? *static_cast<const T*>(value.constData()) : T();
}

} // namespace

RecordColumn::RecordColumn(TFieldType type)
{
    switch (type) {
    case TFieldType::ftString:
        values_.emplace<QList<QString>>();
        break;
    case TFieldType::ftDateTime:
        values_.emplace<QList<TDateTime>>();
        break;
    case TFieldType::ftBCD:
        values_.emplace<QList<Currency>>();
        break;
    case TFieldType::ftFloat:
        values_.emplace<QList<double>>();
        break;
    }
}

void RecordColumn::reserve(qsizetype rows)
{
    std::visit([rows](auto& list) { list.reserve(rows); }, values_);
    nulls_.reserve(rows);
}

QVariant RecordColumn::value(qsizetype row) const
{
    if (nulls_[row])
        return {};
    return std::visit([row](const auto& list) { return QVariant::fromValue(list[row]); }, values_);
}

void RecordColumn::check(const QVariant& value) const
{
    const QMetaType expected =
        std::visit([](const auto& list) { return QMetaType::fromType<ValueOf<decltype(list)>>(); }, values_);
    if (value.isValid() && value.metaType() != expected)
        throw EDatabaseError(
            QStringLiteral("Um valor do tipo %1 não serve para uma coluna do tipo %2.")
                .arg(QLatin1StringView(value.metaType().name()), QLatin1StringView(expected.name())));
}

void RecordColumn::set(qsizetype row, const QVariant& value)
{
    std::visit([&](auto& list) { list[row] = typed<ValueOf<decltype(list)>>(value); }, values_);
    nulls_[row] = !value.isValid();
}

void RecordColumn::insert(qsizetype row, const QVariant& value)
{
    std::visit([&](auto& list) { list.insert(row, typed<ValueOf<decltype(list)>>(value)); }, values_);
    nulls_.insert(row, !value.isValid());
}

void RecordColumn::remove(qsizetype row)
{
    std::visit([row](auto& list) { list.removeAt(row); }, values_);
    nulls_.removeAt(row);
}

void RecordColumn::appendNull()
{
    std::visit([](auto& list) { list.append(ValueOf<decltype(list)>()); }, values_);
    nulls_.append(true);
}

template <typename T> void RecordColumn::appendValue(const T& value)
{
    std::get<QList<T>>(values_).append(value);
    nulls_.append(false);
}

void RecordColumn::append(const QString& value)
{
    appendValue(value);
}

void RecordColumn::append(TDateTime value)
{
    appendValue(value);
}

void RecordColumn::append(Currency value)
{
    appendValue(value);
}

void RecordColumn::append(double value)
{
    appendValue(value);
}

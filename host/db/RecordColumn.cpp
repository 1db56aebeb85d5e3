#include "RecordColumn.h"

#include "EDatabaseError.h"

namespace {

template <typename Values> struct ValueOfImpl {
    using type = typename Values::value_type;
};
template <> struct ValueOfImpl<TextColumn> {
    using type = QString;
};
template <typename Values> using ValueOf = typename ValueOfImpl<std::decay_t<Values>>::type;

template <typename T> T typed(const QVariant& value)
{
    return value.isValid() ? *static_cast<const T*>(value.constData()) : T();
}

QVariant valueAt(const TextColumn& texts, qsizetype row)
{
    return texts.value(row);
}

template <typename T> QVariant valueAt(const std::vector<T>& values, qsizetype row)
{
    return QVariant::fromValue(values[std::size_t(row)]);
}

void setAt(TextColumn& texts, qsizetype row, const QVariant& value)
{
    texts.set(row, typed<QString>(value));
}

template <typename T> void setAt(std::vector<T>& values, qsizetype row, const QVariant& value)
{
    values[std::size_t(row)] = typed<T>(value);
}

void insertAt(TextColumn& texts, qsizetype row, const QVariant& value)
{
    texts.insert(row, typed<QString>(value));
}

template <typename T> void insertAt(std::vector<T>& values, qsizetype row, const QVariant& value)
{
    values.insert(values.begin() + row, typed<T>(value));
}

void removeAt(TextColumn& texts, qsizetype row)
{
    texts.remove(row);
}

template <typename T> void removeAt(std::vector<T>& values, qsizetype row)
{
    values.erase(values.begin() + row);
}

void appendEmpty(TextColumn& texts)
{
    texts.append(QStringView());
}

template <typename T> void appendEmpty(std::vector<T>& values)
{
    values.emplace_back();
}

void appendCopy(TextColumn& texts, qsizetype row)
{
    texts.appendCopyOf(row);
}

template <typename T> void appendCopy(std::vector<T>& values, qsizetype row)
{
    const T value = values[std::size_t(row)];
    values.push_back(value);
}

void squeezeValues(TextColumn& texts)
{
    texts.squeeze();
}

template <typename T> void squeezeValues(std::vector<T>& values)
{
    if (values.capacity() > values.size() + values.size() / 8)
        values.shrink_to_fit();
}

} // namespace

RecordColumn::RecordColumn(TFieldType type)
{
    switch (type) {
    case TFieldType::ftString:
        values_.emplace<TextColumn>();
        break;
    case TFieldType::ftDateTime:
        values_.emplace<std::vector<TDateTime>>();
        break;
    case TFieldType::ftBCD:
        values_.emplace<std::vector<Currency>>();
        break;
    case TFieldType::ftFloat:
        values_.emplace<std::vector<double>>();
        break;
    }
}

void RecordColumn::reserve(qsizetype rows)
{
    std::visit([rows](auto& values) { values.reserve(std::size_t(rows)); }, values_);
    nulls_.reserve(std::size_t(rows));
}

void RecordColumn::squeeze()
{
    std::visit([](auto& values) { squeezeValues(values); }, values_);
    if (nulls_.capacity() > nulls_.size() + nulls_.size() / 8)
        nulls_.shrink_to_fit();
}

QVariant RecordColumn::value(qsizetype row) const
{
    if (nulls_[std::size_t(row)])
        return {};
    return std::visit([row](const auto& values) { return valueAt(values, row); }, values_);
}

Currency RecordColumn::currency(qsizetype row) const
{
    const auto* values = std::get_if<std::vector<Currency>>(&values_);
    if (!values)
        throw EDatabaseError(QStringLiteral("A coluna não é decimal."));
    return nulls_[std::size_t(row)] ? Currency() : (*values)[std::size_t(row)];
}

void RecordColumn::check(const QVariant& value) const
{
    const QMetaType expected = std::visit(
        [](const auto& values) { return QMetaType::fromType<ValueOf<decltype(values)>>(); }, values_);
    if (value.isValid() && value.metaType() != expected)
        throw EDatabaseError(
            QStringLiteral("Um valor do tipo %1 não serve para uma coluna do tipo %2.")
                .arg(QLatin1StringView(value.metaType().name()), QLatin1StringView(expected.name())));
}

void RecordColumn::set(qsizetype row, const QVariant& value)
{
    std::visit([&](auto& values) { setAt(values, row, value); }, values_);
    nulls_[std::size_t(row)] = !value.isValid();
}

void RecordColumn::insert(qsizetype row, const QVariant& value)
{
    std::visit([&](auto& values) { insertAt(values, row, value); }, values_);
    nulls_.insert(nulls_.begin() + row, !value.isValid());
}

void RecordColumn::remove(qsizetype row)
{
    std::visit([row](auto& values) { removeAt(values, row); }, values_);
    nulls_.erase(nulls_.begin() + row);
}

void RecordColumn::appendNull()
{
    std::visit([](auto& values) { appendEmpty(values); }, values_);
    nulls_.push_back(true);
}

void RecordColumn::appendCopyOf(qsizetype row)
{
    const bool null = nulls_[std::size_t(row)];
    std::visit([row](auto& values) { appendCopy(values, row); }, values_);
    nulls_.push_back(null);
}

template <typename T> void RecordColumn::appendValue(const T& value)
{
    std::get<std::vector<T>>(values_).push_back(value);
    nulls_.push_back(false);
}

void RecordColumn::append(const QString& value)
{
    std::get<TextColumn>(values_).append(value);
    nulls_.push_back(false);
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

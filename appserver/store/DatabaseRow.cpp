#include "DatabaseRow.h"

#include <QSqlQuery>
#include <optional>
#include <sqlite3.h>

namespace {

int digits(const unsigned char* text, int from, int count)
{
    int number = 0;
    for (int i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        number = number * 10 + (text[i] - '0');
    }
    return number;
}

// The stored form, yyyy-MM-dd, read without building a string; nothing when the text has another shape.
std::optional<QDate> fixedIsoDate(const unsigned char* text, int length)
{
    if (!text || length < 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const int year = digits(text, 0, 4);
    const int month = digits(text, 5, 2);
    const int day = digits(text, 8, 2);
    if (year < 1 || month < 0 || day < 0)
        return std::nullopt;
    return QDate(year, month, day);
}

} // namespace

void DatabaseRow::stepped()
{
    const int columns = sqlite3_column_count(statement_);
    types_.resize(columns);
    for (int column = 0; column < columns; ++column)
        types_[column] = sqlite3_column_type(statement_, column);
}

bool DatabaseRow::isNull(int column) const
{
    return statement_ ? type(column) == SQLITE_NULL : query_->isNull(column);
}

QVariant DatabaseRow::text(int column) const
{
    if (!statement_) {
        const QVariant stored = query_->value(column);
        return stored.isNull() ? QVariant() : QVariant(stored.toString());
    }
    if (type(column) == SQLITE_NULL)
        return {};
    if (type(column) == SQLITE_FLOAT)
        return value(column).toString();
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement_, column));
}

QVariant DatabaseRow::value(int column) const
{
    if (!statement_)
        return query_->value(column);
    switch (type(column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(statement_, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement_, column);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement_, column)),
                          sqlite3_column_bytes(statement_, column));
    default:
        return text(column);
    }
}

std::optional<std::string_view> DatabaseRow::storedText(int column) const
{
    if (!statement_ || type(column) != SQLITE_TEXT)
        return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return std::string_view(text, std::size_t(sqlite3_column_bytes(statement_, column)));
}

std::optional<qint64> DatabaseRow::storedInteger(int column) const
{
    if (!statement_ || type(column) != SQLITE_INTEGER)
        return std::nullopt;
    return qint64(sqlite3_column_int64(statement_, column));
}

QDate DatabaseRow::date(int column) const
{
    if (statement_ && type(column) == SQLITE_TEXT) {
        const std::optional<QDate> fixed =
            fixedIsoDate(sqlite3_column_text(statement_, column), sqlite3_column_bytes(statement_, column));
        if (fixed)
            return *fixed;
    }
    const QVariant stored = value(column);
    if (stored.typeId() == QMetaType::QDate)
        return stored.toDate();
    return QDate::fromString(stored.toString().left(10), Qt::ISODate);
}

#pragma once

#include "Currency.h"
#include "TDateTime.h"
#include "TFieldType.h"
#include "TextColumn.h"
#include "host_db_export.h"

#include <QString>
#include <QVariant>
#include <string_view>
#include <variant>
#include <vector>

// One field's values down the lines of a table, held as the field's own kind beside a null mark: a
// value costs no QVariant, the fixed-size kinds of a whole packet sit in one block and texts in
// another (see TextColumn).
class HOST_DB_EXPORT RecordColumn {
public:
    explicit RecordColumn(TFieldType type);

    qsizetype size() const { return qsizetype(nulls_.size()); }
    void reserve(qsizetype rows);
    // Gives back room reserved well beyond the lines it holds.
    void squeeze();

    // Null (an invalid QVariant) or the value, as a QString, TDateTime, Currency or double.
    QVariant value(qsizetype row) const;
    // A decimal column's value, zero when null, without a QVariant; EDatabaseError on another kind.
    Currency currency(qsizetype row) const;
    // Raises EDatabaseError unless `value` is null or of the column's kind.
    void check(const QVariant& value) const;
    // These take a value that passed check().
    void set(qsizetype row, const QVariant& value);
    void insert(qsizetype row, const QVariant& value);
    void remove(qsizetype row);

    // For readers that hold the typed value already; it must be of the column's kind.
    void appendNull();
    void append(const QString& value);
    void append(TDateTime value);
    void append(Currency value);
    void append(double value);
    // A text column's value from valid UTF-8; see TextColumn::appendUtf8.
    template <typename Check> void appendUtf8(std::string_view utf8, Check check)
    {
        std::get<TextColumn>(values_).appendUtf8(utf8, check);
        nulls_.push_back(false);
    }
    // The value of an earlier line again, null or not.
    void appendCopyOf(qsizetype row);

private:
    template <typename T> void appendValue(const T& value);

    std::variant<TextColumn, std::vector<TDateTime>, std::vector<Currency>, std::vector<double>> values_;
    std::vector<bool> nulls_;
};

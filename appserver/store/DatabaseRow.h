#pragma once

#include <QDate>
#include <QString>
#include <QVarLengthArray>
#include <QVariant>
#include <optional>
#include <string_view>

class QSqlQuery;
struct sqlite3_stmt;

// One row handed to Database::selectRows, read in place: valid only inside the callback. On SQLite
// the columns come straight from the statement (UTF-8 text, no copy of the row in between); on
// PostgreSQL from the query. Values read the same either way as Qt's drivers give them.
class DatabaseRow {
public:
    explicit DatabaseRow(sqlite3_stmt* statement) : statement_(statement) {}
    explicit DatabaseRow(const QSqlQuery& query) : query_(&query) {}

    bool isNull(int column) const;
    // The column as text; null when it is null.
    QVariant text(int column) const;
    // The column as the driver gives it: integer, real, text, bytes, or null.
    QVariant value(int column) const;
    // A DATE column, or text that starts with yyyy-MM-dd (an invalid date otherwise).
    QDate date(int column) const;

    // On SQLite, for writing a column out as it is stored: the UTF-8 bytes of a text column, the number
    // of an integer one; nothing for any other storage class or on PostgreSQL.
    std::optional<std::string_view> storedText(int column) const;
    std::optional<qint64> storedInteger(int column) const;

    // Takes the storage classes of the row just stepped to: reading a column converts it in place, and
    // SQLite's own answer is not to be trusted after that.
    void stepped();

private:
    int type(int column) const { return types_[column]; }

    QVarLengthArray<int, 16> types_;
    sqlite3_stmt* statement_ = nullptr;
    const QSqlQuery* query_ = nullptr;
};

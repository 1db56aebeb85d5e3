#pragma once

#include "CallerInfo.h"
#include "Record.h"

#include <QDate>
#include <QList>
#include <QString>

class Database;

// The history of the measurement lines: one row per change, written inside the transaction of the
// change itself, so a change rolled back leaves none. Rows are only ever added, never changed or
// removed. Lines are cdsEfetGest records; `before` or `after` empty where the change has none.
class HistoryStore {
public:
    enum class Kind { Insert, Update, Delete, Import };

    HistoryStore(Database& database, CallerInfo caller) : database_(database), caller_(std::move(caller)) {}

    // Keyed by `after`'s branch, date and service, or `before`'s for a deletion.
    void record(Kind kind, const Record& before, const Record& after);
    // The history of one line as cdsHistEfetGest records, newest first.
    QList<Record> lineHistory(const QString& branch, QDate date, const QString& service) const;

private:
    Database& database_;
    CallerInfo caller_;
};

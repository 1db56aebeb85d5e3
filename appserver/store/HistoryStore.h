#pragma once

#include "CallerInfo.h"
#include "Record.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

class Database;

// The history of the measurement lines: one row per change, written inside the transaction of the
// change itself, so a change rolled back leaves none. Rows are never changed; they go only when one
// caller (client address) has more than PerLineAndCaller of one line (its oldest first), or by age
// (purgeOlderThan, from the housekeeping). Lines are cdsEfetGest records; `before` or `after` empty where the
// change has none.
class HistoryStore {
public:
    enum class Kind { Insert, Update, Delete, Import };

    HistoryStore(Database& database, CallerInfo caller) : database_(database), caller_(std::move(caller)) {}

    // Keyed by `after`'s branch, date and service, or `before`'s for a deletion.
    void record(Kind kind, const Record& before, const Record& after);
    // One page of a line's history: at most PageSize cdsHistEfetGest records, newest first.
    struct Page {
        QList<Record> rows;
        QString next; // where the following page starts; empty when this one holds the oldest row
    };
    static constexpr int PageSize = 100;
    static constexpr int PerLineAndCaller = 1000;
    // The page of rows older than `before` (a page's `next`), or the newest page without it.
    Page linePage(const QString& branch, QDate date, const QString& service,
                  std::optional<qint64> before) const;

    // Drops the rows recorded before `oldest` (ms since the epoch); returns how many.
    int purgeOlderThan(qint64 oldest);

private:
    Database& database_;
    CallerInfo caller_;
};

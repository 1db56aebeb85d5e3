#pragma once

#include "Change.h"
#include "HistoryStore.h"

#include <QList>
#include <QVariantList>

class Database;

// Applies a change set of cdsEfetGest in one transaction, all or nothing. Modified and deleted lines
// must still hold every stored value the client read, and a modified line keeps its branch, date and
// service; an inserted line must not exist yet; every line
// stored must pass EfetGestLineCheck. Each line changed leaves its history row (HistoryStore), in the
// same transaction. Otherwise
// EDatabaseError carries the message the user reads and nothing is applied.
class ChangeSetWriter {
public:
    explicit ChangeSetWriter(Database& database, CallerInfo caller = {})
        : database_(database), history_(database, std::move(caller))
    {}

    // Returns the number of lines changed. Expects keys checked as present.
    int apply(const QList<Change>& changes);

private:
    QVariantList stored(const Record& line) const;
    void insert(const Change& change);
    void update(const Change& change);
    void remove(const Change& change);

    Database& database_;
    HistoryStore history_;
};

#pragma once

#include "Change.h"

#include <QList>
#include <QVariantList>

class Database;

// Applies a change set of cdsEfetGest in one transaction, all or nothing. Modified and deleted lines
// must still hold every stored value the client read; an inserted line must not exist yet; every line
// stored must pass EfetGestLineCheck. Otherwise
// EDatabaseError carries the message the user reads and nothing is applied.
class ChangeSetWriter {
public:
    explicit ChangeSetWriter(Database& database) : database_(database) {}

    // Returns the number of lines changed. Expects keys checked as present.
    int apply(const QList<Change>& changes);

private:
    QVariantList stored(const Record& line) const;
    void insert(const Change& change);
    void update(const Change& change);
    void remove(const Change& change);

    Database& database_;
};

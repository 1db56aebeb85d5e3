#pragma once

#include "Record.h"

class Database;

// The server's own checks on a line about to be stored, whatever client sent it: the branch exists,
// the service is registered for it, and staff, unit price and total are above zero. Decoding has
// already fitted each value to its field. Runs inside the caller's transaction.
class EfetGestLineCheck {
public:
    explicit EfetGestLineCheck(Database& database) : database_(database) {}

    // Throws EDatabaseError naming the line (its place in the change set and its key) and the fault.
    void check(const Record& line, qsizetype place);

private:
    QString keyFault(const Record& line);

    Database& database_;
};

#pragma once

#include "Record.h"

class Database;

// The server's own checks on a line about to be stored, whatever client sent it: the branch exists,
// the service is registered for it, and staff, unit price and total are above zero; a stored line keeps
// its key. Decoding has already fitted each value to its field. Runs inside the caller's transaction.
class EfetGestLineCheck {
public:
    explicit EfetGestLineCheck(Database& database) : database_(database) {}

    // Throws EDatabaseError naming the line (its place in the change set and its key) and the fault.
    void check(const Record& line, qsizetype place);
    // The same for a modified line whose new values hold another branch, date or service than the
    // stored line: the change would move it onto another line's key, and its history with it.
    static void checkKeyKept(const Record& original, const Record& values, qsizetype place);

private:
    QString keyFault(const Record& line);

    Database& database_;
};

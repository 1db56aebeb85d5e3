#pragma once

#include "Record.h"

enum class ChangeKind { Inserted, Modified, Deleted };

// One line of a change set. `values` holds the line as it is now (inserted, modified); `original`
// holds it as it was before the change (modified, deleted).
struct Change {
    ChangeKind kind = ChangeKind::Inserted;
    Record values;
    Record original;

    friend bool operator==(const Change&, const Change&) = default;
};

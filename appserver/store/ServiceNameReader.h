#pragma once

#include "SqliteCursor.h"

#include <QString>
#include <memory>
#include <string_view>

class Database;

// The services of one branch read in code order beside that branch's lines in the same order: a merge
// instead of one index seek per line, stepping on over codes no line has and seeking again past a few
// of them, so a day of few lines among many services costs at most a few steps per line beside the
// seek. SQLite only. Codes asked must be ASCII text, in ascending order.
class ServiceNameReader {
public:
    ServiceNameReader(Database& database, const QString& branch);

    // The service row (code, name) whose code is `code`, or null when the branch has none.
    const DatabaseRow* find(std::string_view code);

private:
    // Whether the cursor stands on a code below `code`; a code stored as no text sorts after all text.
    bool before(std::string_view code) const;
    void seek(std::string_view code);

    std::unique_ptr<SqliteCursor> cursor_;
    QString branch_;
    bool started_ = false;
};

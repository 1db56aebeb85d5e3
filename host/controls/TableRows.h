#pragma once

#include <QList>
#include <QStringList>
#include <functional>

// Rows of text for a table that is shown a page at a time: the rows of one page, and whether another
// follows it. `Source` gives the next page each time it is called (it may throw; the table keeps what
// it has).
struct TableRows {
    QList<QStringList> rows;
    bool more = false;

    using Source = std::function<TableRows()>;
};

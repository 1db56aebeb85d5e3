#pragma once

#include "Exception.h"

#include <QSqlError>

// The database refused or failed a statement. The message is for the user; the driver's words and
// the statement stay in detail() for the log.
class SqlFailure : public Exception {
public:
    SqlFailure(const QSqlError& error, const QString& statement);

    const QSqlError& error() const { return error_; }
    const QString& detail() const { return detail_; }

private:
    QSqlError error_;
    QString detail_;
};

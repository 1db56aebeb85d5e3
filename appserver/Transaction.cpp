#include "Transaction.h"

#include "Database.h"
#include "SqlFailure.h"

#include <QString>

Transaction::Transaction(Database& database) : database_(database)
{
    database_.execControl(database_.dialect().beginWrite());
}

Transaction::~Transaction()
{
    if (!open_)
        return;
    try {
        database_.execControl(QStringLiteral("ROLLBACK"));
    } catch (const SqlFailure&) {
        // The connection is gone; the server drops the transaction with it.
    }
}

void Transaction::commit()
{
    database_.execControl(QStringLiteral("COMMIT"));
    open_ = false;
}

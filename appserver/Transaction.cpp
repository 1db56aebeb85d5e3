#include "Transaction.h"

#include "Database.h"
#include "SqlFailure.h"

#include <QString>

Transaction::Transaction(Database& database) : database_(database)
{
    database_.execDirect(database_.dialect().beginWrite());
}

Transaction::~Transaction()
{
    if (!open_)
        return;
    try {
        database_.execDirect(QStringLiteral("ROLLBACK"));
    } catch (const SqlFailure&) {
        // The connection is gone; the server drops the transaction with it.
    }
}

void Transaction::commit()
{
    database_.execDirect(QStringLiteral("COMMIT"));
    open_ = false;
}

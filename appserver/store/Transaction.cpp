#include "Transaction.h"

#include "Database.h"
#include "SqlFailure.h"

#include <QString>

namespace {

std::mutex& writerMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

Transaction::Transaction(Database& database) : database_(database), outermost_(!database.inTransaction())
{
    if (!outermost_)
        return;
    writer_ = holdWriters(database);
    database_.execControl(database_.dialect().beginWrite());
    database_.setInTransaction(true);
}

std::unique_lock<std::mutex> Transaction::holdWriters(const Database& database)
{
    if (!database.dialect().serializesWriters())
        return {};
    return std::unique_lock(writerMutex());
}

Transaction::~Transaction()
{
    if (!outermost_ || !open_)
        return;
    try {
        end("ROLLBACK");
    } catch (const SqlFailure&) {
        // The connection is gone; the server drops the transaction with it.
        finish();
    }
}

void Transaction::commit()
{
    if (outermost_)
        end("COMMIT");
}

void Transaction::end(const char* statement)
{
    database_.execControl(QString::fromLatin1(statement));
    finish();
}

void Transaction::finish()
{
    open_ = false;
    database_.setInTransaction(false);
    if (writer_.owns_lock())
        writer_.unlock();
}

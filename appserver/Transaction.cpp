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

Transaction::Transaction(Database& database) : database_(database), writer_(holdWriters(database))
{
    database_.execControl(database_.dialect().beginWrite());
}

std::unique_lock<std::mutex> Transaction::holdWriters(const Database& database)
{
    if (!database.dialect().serializesWriters())
        return {};
    return std::unique_lock(writerMutex());
}

Transaction::~Transaction()
{
    if (!open_)
        return;
    try {
        end("ROLLBACK");
    } catch (const SqlFailure&) {
        // The connection is gone; the server drops the transaction with it.
    }
}

void Transaction::commit()
{
    end("COMMIT");
}

void Transaction::end(const char* statement)
{
    database_.execControl(QString::fromLatin1(statement));
    open_ = false;
    if (writer_.owns_lock())
        writer_.unlock();
}

#include "CommitGroup.h"

#include "Database.h"
#include "ServerLog.h"
#include "SqlFailure.h"
#include "Transaction.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

const QEvent::Type CommitEvent = QEvent::Type(QEvent::registerEventType());
const QString Savepoint = QStringLiteral("SAVEPOINT chamada");
const QString ReleaseSavepoint = QStringLiteral("RELEASE SAVEPOINT chamada");
const QString RollbackToSavepoint = QStringLiteral("ROLLBACK TO SAVEPOINT chamada");

} // namespace

CommitGroup::CommitGroup(Database& database, bool answersWait, QObject* parent)
    : QObject(parent), database_(database), grouping_(answersWait && database.dialect().serializesWriters())
{}

CommitGroup::~CommitGroup()
{
    if (state_ != State::Open)
        return;
    try {
        database_.execControl(QStringLiteral("ROLLBACK"));
    } catch (const SqlFailure&) {
        // The connection is gone, and the transaction with it.
    }
    finish(State::Idle);
}

QByteArray CommitGroup::save(const std::function<QByteArray()>& write)
{
    if (!grouping_ || state_ == State::Lost)
        return write();
    if (state_ == State::Idle)
        begin();
    database_.execControl(Savepoint);
    try {
        QByteArray result = write();
        database_.execControl(ReleaseSavepoint);
        return result;
    } catch (...) {
        undo();
        throw;
    }
}

void CommitGroup::begin()
{
    writer_ = Transaction::holdWriters(database_);
    try {
        database_.execControl(database_.dialect().beginWrite());
    } catch (const SqlFailure&) {
        if (writer_.owns_lock())
            writer_.unlock();
        throw;
    }
    database_.setInTransaction(true);
    state_ = State::Open;
    QCoreApplication::postEvent(this, new QEvent(CommitEvent), Qt::HighEventPriority);
}

void CommitGroup::undo()
{
    if (state_ != State::Open)
        return;
    try {
        database_.execControl(RollbackToSavepoint);
        database_.execControl(ReleaseSavepoint);
    } catch (const SqlFailure& failure) {
        qCWarning(lcServer).noquote() << "the saves of this turn are lost:" << failure.detail();
        abandon();
    }
}

void CommitGroup::abandon()
{
    if (state_ != State::Open)
        return;
    try {
        database_.execControl(QStringLiteral("ROLLBACK"));
    } catch (const SqlFailure&) {
        // Already gone with the connection.
    }
    finish(State::Lost);
}

void CommitGroup::customEvent(QEvent* event)
{
    if (event->type() == CommitEvent)
        commit();
}

void CommitGroup::commit()
{
    bool committed = false;
    if (state_ == State::Open) {
        try {
            database_.execControl(QStringLiteral("COMMIT"));
            committed = true;
        } catch (const SqlFailure& failure) {
            qCWarning(lcServer).noquote()
                << "the saves of one turn were not committed; their connections are reset:"
                << failure.detail();
            abandon();
        }
    }
    finish(State::Idle);
    emit settled(committed);
}

void CommitGroup::finish(State next)
{
    if (state_ == State::Open) {
        database_.setInTransaction(false);
        if (writer_.owns_lock())
            writer_.unlock();
    }
    state_ = next;
}

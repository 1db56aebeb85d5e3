#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>
#include <mutex>

class Database;

// The saves of one turn of a worker's event loop, committed together: one flush of the log to disk for
// all of them rather than one each. The turn's first save opens the transaction, and its commit is
// posted ahead of every other posted event, so it runs first thing in the next turn, before that turn
// reads any socket; each save runs under a savepoint of its own, so one that fails undoes only itself.
// Answers given while the group is open are held by their connections until `settled` says the group
// is on disk (or is not: those connections are then reset, and their calls' outcome is unknown to the
// client). Only where the database takes one writer at a time (SQLite); elsewhere each save commits
// alone, as the database groups concurrent commits itself. Only where answers stay in their sockets'
// buffers until flushed: Qt's TLS socket may send on its own while it reads, so over TLS each save
// commits alone too.
class CommitGroup : public QObject {
    Q_OBJECT

public:
    // `answersWait`: an answer written to a connection leaves only when the connection flushes it.
    CommitGroup(Database& database, bool answersWait, QObject* parent = nullptr);
    // An open group is rolled back: its answers were never sent.
    ~CommitGroup() override;

    // Whether answers given now must wait for a commit.
    bool holding() const { return state_ != State::Idle; }
    // Runs one save (`write` opens its own Transaction, which joins the group's).
    QByteArray save(const std::function<QByteArray()>& write);
    // The connection was found cut or was opened again: the open group is lost, and the saves of this
    // turn after it commit alone.
    void abandon();

signals:
    void settled(bool committed);

protected:
    void customEvent(QEvent* event) override;

private:
    enum class State { Idle, Open, Lost };

    void begin();
    void commit();
    void undo();
    void finish(State next);

    Database& database_;
    const bool grouping_;
    State state_ = State::Idle;
    std::unique_lock<std::mutex> writer_;
};

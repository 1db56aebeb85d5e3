#pragma once

#include <mutex>

class Database;

// A write transaction that rolls back unless committed: any exception on the way out undoes it all.
// Where the database takes one writer at a time, the threads of this process queue for it here.
// Opened while another is open on the same connection, it joins that one: its commit does nothing
// and the outer transaction decides.
class Transaction {
public:
    explicit Transaction(Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

    // Holds off this process's writers (where the database takes one at a time) until released.
    static std::unique_lock<std::mutex> holdWriters(const Database& database);

private:
    void end(const char* statement);
    void finish();

    Database& database_;
    const bool outermost_;
    std::unique_lock<std::mutex> writer_;
    bool open_ = true;
};

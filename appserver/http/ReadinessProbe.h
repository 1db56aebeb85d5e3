#pragma once

#include "DatabaseSpec.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

// Whether the database answers, for /health/ready, within a deadline. The query runs on a thread and
// connection of its own, never on a worker's: a database that hangs holds only that thread, the check
// answers "no" once its deadline passes, and checks while the query still hangs answer "no" at once.
// Shared by every worker; the destructor waits for a query in flight.
class Database;

class ReadinessProbe {
public:
    ReadinessProbe(DatabaseSpec spec, std::chrono::milliseconds deadline);
    ~ReadinessProbe();
    ReadinessProbe(const ReadinessProbe&) = delete;
    ReadinessProbe& operator=(const ReadinessProbe&) = delete;

    bool databaseAnswers();

private:
    void run();
    static bool probe(const DatabaseSpec& spec, std::unique_ptr<Database>& database);

    const DatabaseSpec spec_;
    const std::chrono::milliseconds deadline_;
    std::mutex mutex_;
    std::condition_variable asked_;
    std::condition_variable answered_;
    std::uint64_t questions_ = 0; // checks asked for; each answer covers every one asked before it
    std::uint64_t answers_ = 0;
    bool busy_ = false; // a query is in flight, since busySince_
    std::chrono::steady_clock::time_point busySince_;
    bool lastAnswer_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>

// The process's counters for /metrics, shared by every worker thread. Recording a call costs a few
// relaxed atomic additions and no lock; the text is put together only when scraped. Method labels come
// from a fixed list ("other" for any name a caller makes up), so no request can grow the set of series.
class Metrics {
public:
    static Metrics& process();

    void recordCall(const QString& method, bool ok, std::int64_t nanoseconds);
    void recordSignInFailure() { signInFailures_.fetch_add(1, std::memory_order_relaxed); }
    void recordSignInRefused() { signInRefused_.fetch_add(1, std::memory_order_relaxed); }
    void recordDatabaseError() { databaseErrors_.fetch_add(1, std::memory_order_relaxed); }
    void connectionOpened() { openConnections_.fetch_add(1, std::memory_order_relaxed); }
    void connectionClosed() { openConnections_.fetch_sub(1, std::memory_order_relaxed); }
    // Counted by the housekeeping after each purge, never at scrape time: a scrape must not wait on
    // the database, nor cost a table count.
    void setReservationsHeld(std::int64_t held) { reservationsHeld_.store(held, std::memory_order_relaxed); }

    // Why a connection was ended before it was served.
    enum class Refusal { ServerFull, AddressFull, CrowdedOut, TlsHandshake, SecretInClear };
    static constexpr std::array<const char*, 5> RefusalReasons = {
        "max_connections", "max_connections_per_address", "crowded_out", "tls_handshake", "secret_in_clear"};
    void recordRefusal(Refusal reason)
    {
        refusals_[std::size_t(reason)].fetch_add(1, std::memory_order_relaxed);
    }

    // The Prometheus text exposition (0.0.4).
    QByteArray exposition() const;

    static constexpr QByteArrayView ContentType = "text/plain; version=0.0.4";

private:
    static constexpr std::array<const char*, 8> Methods = {
        "GetPrxRelApurFat", "getEfetGest",     "GetVerifServ",    "setEfetGest",
        "Importa",          "SetDelTableApur", "GetHistEfetGest", "other"};
    // Upper bounds in seconds, and as written in `le`; +Inf is the last, implicit bucket.
    static constexpr std::array<double, 14> Bounds = {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                                      0.1,    0.25,  0.5,    1,     2.5,  5,     10};
    static constexpr std::array<const char*, 14> BoundLabels = {"0.0005", "0.001", "0.0025", "0.005", "0.01",
                                                                "0.025",  "0.05",  "0.1",    "0.25",  "0.5",
                                                                "1",      "2.5",   "5",      "10"};

    static std::size_t methodIndex(const QString& method);
    void appendCalls(QByteArray& out) const;
    void appendDurations(QByteArray& out) const;

    std::array<std::array<std::atomic<std::uint64_t>, 2>, Methods.size()> calls_{};
    std::array<std::atomic<std::uint64_t>, Bounds.size() + 1>
        buckets_{}; // each its own range, not cumulative
    std::atomic<std::uint64_t> durationNanoseconds_{0};
    std::atomic<std::uint64_t> databaseErrors_{0};
    std::atomic<std::uint64_t> signInFailures_{0};
    std::atomic<std::uint64_t> signInRefused_{0};
    std::atomic<std::int64_t> openConnections_{0};
    std::atomic<std::int64_t> reservationsHeld_{-1}; // negative until first counted
    std::array<std::atomic<std::uint64_t>, RefusalReasons.size()> refusals_{};
};

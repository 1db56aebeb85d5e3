#include "Metrics.h"

#include <QLocale>
#include <algorithm>

namespace {

void appendHeader(QByteArray& out, const char* name, const char* type, const char* help)
{
    out.append("# HELP ").append(name).append(' ').append(help).append('\n');
    out.append("# TYPE ").append(name).append(' ').append(type).append('\n');
}

} // namespace

Metrics& Metrics::process()
{
    static Metrics metrics;
    return metrics;
}

std::size_t Metrics::methodIndex(const QString& method)
{
    for (std::size_t i = 0; i + 1 < Methods.size(); ++i) {
        if (method == QLatin1String(Methods[i]))
            return i;
    }
    return Methods.size() - 1;
}

void Metrics::recordCall(const QString& method, bool ok, std::int64_t nanoseconds)
{
    calls_[methodIndex(method)][ok ? 0 : 1].fetch_add(1, std::memory_order_relaxed);
    const double seconds = double(nanoseconds) / 1e9;
    const auto bucket = std::lower_bound(Bounds.begin(), Bounds.end(), seconds) - Bounds.begin();
    buckets_[std::size_t(bucket)].fetch_add(1, std::memory_order_relaxed);
    durationNanoseconds_.fetch_add(std::uint64_t(std::max<std::int64_t>(nanoseconds, 0)),
                                   std::memory_order_relaxed);
}

QByteArray Metrics::exposition() const
{
    const std::int64_t reservationsHeld = reservationsHeld_.load(std::memory_order_relaxed);
    QByteArray out;
    out.reserve(4096);
    appendCalls(out);
    appendDurations(out);
    appendHeader(out, "med_open_connections", "gauge", "Client connections open now.");
    out.append("med_open_connections ")
        .append(QByteArray::number(openConnections_.load(std::memory_order_relaxed)))
        .append('\n');
    appendHeader(out, "med_refused_connections_total", "counter",
                 "Connections ended before they were served, by reason.");
    for (std::size_t r = 0; r < RefusalReasons.size(); ++r) {
        out.append("med_refused_connections_total{reason=\"").append(RefusalReasons[r]).append("\"} ");
        out.append(QByteArray::number(refusals_[r].load(std::memory_order_relaxed))).append('\n');
    }
    appendHeader(out, "med_database_errors_total", "counter",
                 "Database statements that failed, readiness checks included.");
    out.append("med_database_errors_total ")
        .append(QByteArray::number(databaseErrors_.load(std::memory_order_relaxed)))
        .append('\n');
    appendHeader(out, "med_signin_failures_total", "counter",
                 "Sign-ins refused for an unknown login, a wrong password or a disabled user.");
    out.append("med_signin_failures_total ")
        .append(QByteArray::number(signInFailures_.load(std::memory_order_relaxed)))
        .append('\n');
    appendHeader(out, "med_signin_throttled_total", "counter",
                 "Sign-ins refused unchecked after too many failures for the login or the address.");
    out.append("med_signin_throttled_total ")
        .append(QByteArray::number(signInRefused_.load(std::memory_order_relaxed)))
        .append('\n');
    // Left out rather than reported as zero until the database answered a count.
    if (reservationsHeld >= 0) {
        appendHeader(out, "med_reservations_held", "gauge",
                     "Import reservations stored in the database at the last purge (every five minutes).");
        out.append("med_reservations_held ").append(QByteArray::number(reservationsHeld)).append('\n');
    }
    return out;
}

void Metrics::appendCalls(QByteArray& out) const
{
    appendHeader(out, "med_calls_total", "counter", "Remote method calls answered, by method and outcome.");
    for (std::size_t m = 0; m < Methods.size(); ++m) {
        for (std::size_t o = 0; o < 2; ++o) {
            out.append("med_calls_total{method=\"").append(Methods[m]).append("\",outcome=\"");
            out.append(o == 0 ? "ok" : "error").append("\"} ");
            out.append(QByteArray::number(calls_[m][o].load(std::memory_order_relaxed))).append('\n');
        }
    }
}

void Metrics::appendDurations(QByteArray& out) const
{
    appendHeader(out, "med_call_duration_seconds", "histogram", "Time to answer a remote method call.");
    std::uint64_t cumulative = 0;
    for (std::size_t b = 0; b < buckets_.size(); ++b) {
        cumulative += buckets_[b].load(std::memory_order_relaxed);
        const char* bound = b < BoundLabels.size() ? BoundLabels[b] : "+Inf";
        out.append("med_call_duration_seconds_bucket{le=\"").append(bound).append("\"} ");
        out.append(QByteArray::number(cumulative)).append('\n');
    }
    const double sum = double(durationNanoseconds_.load(std::memory_order_relaxed)) / 1e9;
    out.append("med_call_duration_seconds_sum ")
        .append(QByteArray::number(sum, 'g', QLocale::FloatingPointShortest))
        .append('\n');
    // The buckets' own total, so the count always equals the +Inf bucket even while calls land.
    out.append("med_call_duration_seconds_count ").append(QByteArray::number(cumulative)).append('\n');
}

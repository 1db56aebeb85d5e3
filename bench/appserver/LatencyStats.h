#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QtGlobal>

// Calls counted over a timed run: throughput and latency percentiles.
class LatencyStats {
public:
    void add(qint64 nanoseconds) { samples_.append(nanoseconds); }
    // Runs one call and counts the time it took.
    template <typename Call> void time(Call call)
    {
        QElapsedTimer timer;
        timer.start();
        call();
        add(timer.nsecsElapsed());
    }
    void merge(const LatencyStats& other) { samples_.append(other.samples_); }
    void setElapsed(qint64 nanoseconds) { elapsed_ = nanoseconds; }

    qsizetype calls() const { return samples_.size(); }
    double callsPerSecond() const
    {
        return elapsed_ > 0 ? double(samples_.size()) * 1e9 / double(elapsed_) : 0.0;
    }
    // Milliseconds below which `fraction` of the calls finished.
    double percentileMs(double fraction);

private:
    QList<qint64> samples_;
    qint64 elapsed_ = 0;
    bool sorted_ = false;
};

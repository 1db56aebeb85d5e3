#include "ListCallCpu.h"

#include "Database.h"
#include "DatabaseSpec.h"
#include "RdmMediEfeti.h"
#include "RpcDispatcher.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>
#include <vector>

namespace ListCallCpu {

namespace {

constexpr int CallsPerBatch = 2000;

qint64 threadCpuNanos()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

double microsPerCall(const QString& database, const CallMix& mix, int repetitions)
{
    Database db(DatabaseSpec::parse(database));
    RdmMediEfeti methods(db, std::chrono::hours(1));
    RpcDispatcher dispatcher(methods, db, std::chrono::hours(1));
    const QByteArray request = R"({"jsonrpc":"2.0","id":1,"method":"getEfetGest","params":[")" +
                               mix.branch.toUtf8() + R"(",")" + mix.date.toString(Qt::ISODate).toUtf8() +
                               R"("]})";
    if (!dispatcher.handle(request).body.contains("\"result\""))
        throw std::runtime_error("getEfetGest failed in process");
    std::vector<double> batches;
    for (int round = 0; round < std::max(1, repetitions); ++round) {
        const qint64 start = threadCpuNanos();
        for (int call = 0; call < CallsPerBatch; ++call)
            dispatcher.handle(request);
        batches.push_back(double(threadCpuNanos() - start) / 1000.0 / CallsPerBatch);
    }
    std::nth_element(batches.begin(), batches.begin() + qsizetype(batches.size() / 2), batches.end());
    return batches[batches.size() / 2];
}

} // namespace ListCallCpu

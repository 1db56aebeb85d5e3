// Memory a loaded list holds, per line, beside Qt's stock table model over the same lines in SQLite.
// Peak: the growth of the process's resident high-water mark while loading. Retained: the bytes the
// allocator still hands out once loaded, chunk overhead included. Medians of three runs each.
#include "BenchRun.h"
#include "EfetGestLines.h"
#include "EfetGestRecordSet.h"
#include "TClientDataSet.h"
#include "TDateTime.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QVariantList>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

namespace {

constexpr int Runs = 3;

struct Bytes {
    double peak = 0;
    double retained = 0;
};

qint64 allocatedBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

qint64 statusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Resets the resident high-water mark to the current size, so it measures what follows.
bool resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

// Runs `load`, which returns what it keeps alive; measures while the result is held.
template <typename Load> Bytes measure(int lines, Load load)
{
    malloc_trim(0);
    const qint64 before = allocatedBytes();
    const bool peakKnown = resetPeak();
    const qint64 residentKb = statusKb("VmRSS:");
    const auto kept = load();
    Bytes bytes;
    bytes.retained = double(allocatedBytes() - before) / lines;
    bytes.peak = peakKnown ? double(statusKb("VmHWM:") - residentKb) * 1024 / lines : -1;
    return bytes;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Bytes medianOf(const std::vector<Bytes>& runs)
{
    std::vector<double> peaks, retained;
    for (const Bytes& run : runs) {
        peaks.push_back(run.peak);
        retained.push_back(run.retained);
    }
    return {median(peaks), median(retained)};
}

Bytes clientDataSet(int lines)
{
    const DataPacket& packet = EfetGestLines::packet(lines);
    std::vector<Bytes> runs;
    for (int run = 0; run < Runs; ++run)
        runs.push_back(measure(lines, [&] {
            auto owner = std::make_unique<QObject>();
            const EfetGestRecordSet recordSet = EfetGestRecordSet::create(owner.get());
            recordSet.cdsEfetGest->SetData(packet);
            return owner;
        }));
    return medianOf(runs);
}

Bytes tableModel(int lines)
{
    const QString connection = QStringLiteral("memory%1").arg(lines);
    std::vector<Bytes> runs;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QStringLiteral(":memory:"));
        db.open();
        EfetGestLines::fillTable(db, lines);
        for (int run = 0; run < Runs; ++run)
            runs.push_back(measure(lines, [&] {
                auto model = std::make_unique<QSqlTableModel>(nullptr, db);
                model->setTable(QStringLiteral("USR_EFETGEST"));
                model->select();
                while (model->canFetchMore())
                    model->fetchMore();
                return model;
            }));
    }
    QSqlDatabase::removeDatabase(connection);
    return medianOf(runs);
}

} // namespace

int main(int argc, char** argv)
{
    // QSqlDatabase finds its driver plugins through the application object.
    QCoreApplication app(argc, argv);
    std::printf("%9s %11s %14s %18s %14s %18s %16s\n", "lines", "values B/l", "set peak B/l",
                "set retained B/l", "set/values", "model peak B/l", "model retained B/l");
    for (const int lines : BenchRun::tiny() ? QList<int>{1'000} : QList<int>{10'000, 100'000, 1'000'000}) {
        const double values = EfetGestLines::valueBytesPerLine(lines);
        const Bytes set = clientDataSet(lines);
        const Bytes model = tableModel(lines);
        std::printf("%9d %11.1f %14.1f %18.1f %14.2f %18.1f %16.1f\n", lines, values, set.peak, set.retained,
                    set.retained / values, model.peak, model.retained);
    }
    return 0;
}

#include "BenchRun.h"
#include "Currency.h"
#include "EfetGestLines.h"
#include "EfetGestRecordSet.h"
#include "PacketCodec.h"
#include "TBCDField.h"
#include "TClientDataSet.h"
#include "TDateTime.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QVariantList>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const int Lines = BenchRun::size(100'000, 1'000);

void BM_EncodePacket100k(benchmark::State& state)
{
    const FieldDefs fields = EfetGestRecordSet::fieldDefs();
    const QList<Record> lines = EfetGestLines::lines(Lines);
    for (auto _ : state)
        benchmark::DoNotOptimize(PacketCodec::encodePacket(fields, lines));
    state.counters["MB"] = double(EfetGestLines::packet(Lines).json().size()) / 1e6;
}
BENCHMARK(BM_EncodePacket100k)->Unit(benchmark::kMillisecond);

void BM_DecodePacket100k(benchmark::State& state)
{
    const FieldDefs fields = EfetGestRecordSet::fieldDefs();
    const DataPacket& packet = EfetGestLines::packet(Lines);
    for (auto _ : state)
        benchmark::DoNotOptimize(PacketCodec::decodeTable(packet, fields));
    state.SetBytesProcessed(state.iterations() * packet.json().size());
}
BENCHMARK(BM_DecodePacket100k)->Unit(benchmark::kMillisecond);

// Per line, the cost must not grow with the size of the list.
void BM_AssignPacket(benchmark::State& state)
{
    QObject owner;
    const EfetGestRecordSet recordSet = EfetGestRecordSet::create(&owner);
    const DataPacket& packet = EfetGestLines::packet(int(state.range(0)));
    for (auto _ : state) {
        recordSet.cdsEfetGest->SetData(packet);
        benchmark::DoNotOptimize(recordSet.cdsEfetGest->RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
// Tiny runs (the suite, sanitizers included) keep the million-line list out: it only shows speed.
BENCHMARK(BM_AssignPacket)
    ->Arg(10'000)
    ->Arg(Lines)
    ->Arg(BenchRun::size(1'000'000, 10'000))
    ->Unit(benchmark::kMillisecond);

// Qt's own parser on the same text, building nothing but its document.
void BM_QJsonDocument100k(benchmark::State& state)
{
    const DataPacket& packet = EfetGestLines::packet(Lines);
    for (auto _ : state)
        benchmark::DoNotOptimize(QJsonDocument::fromJson(packet.json()));
}
BENCHMARK(BM_QJsonDocument100k)->Unit(benchmark::kMillisecond);

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Both sides of a ratio timed in turns in each iteration, so a change in the machine's load falls on
// both; the counter `ratio` is the median of the iterations' ratios (thread CPU time).
template <typename Numerator, typename Denominator>
void timeInTurns(benchmark::State& state, Numerator numerator, Denominator denominator)
{
    std::vector<double> ratios;
    for (auto _ : state) {
        const double start = threadCpuSeconds();
        numerator();
        const double middle = threadCpuSeconds();
        denominator();
        ratios.push_back((middle - start) / (threadCpuSeconds() - middle));
    }
    std::nth_element(ratios.begin(), ratios.begin() + qsizetype(ratios.size() / 2), ratios.end());
    state.counters["ratio"] = ratios[ratios.size() / 2];
}

void BM_AssignOverQJsonDocument100k(benchmark::State& state)
{
    QObject owner;
    const EfetGestRecordSet recordSet = EfetGestRecordSet::create(&owner);
    const DataPacket& packet = EfetGestLines::packet(Lines);
    timeInTurns(
        state, [&] { recordSet.cdsEfetGest->SetData(packet); },
        [&] { benchmark::DoNotOptimize(QJsonDocument::fromJson(packet.json())); });
}
BENCHMARK(BM_AssignOverQJsonDocument100k)->Iterations(15)->Unit(benchmark::kMillisecond);

// One 1,000,000-line assign against a hundred 10,000-line ones: the cost per line.
void BM_AssignPerLine1MOver10k(benchmark::State& state)
{
    QObject owner;
    const EfetGestRecordSet recordSet = EfetGestRecordSet::create(&owner);
    const DataPacket& large = EfetGestLines::packet(BenchRun::size(1'000'000, 10'000));
    const DataPacket& small = EfetGestLines::packet(BenchRun::size(10'000, 100));
    timeInTurns(
        state, [&] { recordSet.cdsEfetGest->SetData(large); },
        [&] {
            for (int i = 0; i < 100; ++i)
                recordSet.cdsEfetGest->SetData(small);
        });
}
BENCHMARK(BM_AssignPerLine1MOver10k)->Iterations(7)->Unit(benchmark::kMillisecond);

// The same lines in an in-memory SQLite table, read through the stock Qt model.
class SqliteLines {
public:
    SqliteLines()
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Connection);
        db.setDatabaseName(QStringLiteral(":memory:"));
        db.open();
        EfetGestLines::fillTable(db, Lines);
    }
    ~SqliteLines() { QSqlDatabase::removeDatabase(Connection); }

    QSqlDatabase database() const { return QSqlDatabase::database(Connection); }

private:
    static constexpr const char* Connection = "bench";
};

void BM_QSqlTableModel100k(benchmark::State& state)
{
    const SqliteLines lines;
    for (auto _ : state) {
        QSqlTableModel model(nullptr, lines.database());
        model.setTable(QStringLiteral("USR_EFETGEST"));
        model.select();
        while (model.canFetchMore())
            model.fetchMore();
        benchmark::DoNotOptimize(model.rowCount());
        if (model.rowCount() != Lines)
            state.SkipWithError("the model did not load every line");
    }
}
BENCHMARK(BM_QSqlTableModel100k)->Unit(benchmark::kMillisecond);

// One modified line, its change set built: the cost must not grow with the lines loaded.
void BM_DeltaOneChange(benchmark::State& state)
{
    QObject owner;
    const EfetGestRecordSet recordSet = EfetGestRecordSet::create(&owner);
    TClientDataSet* cds = recordSet.cdsEfetGest;
    cds->SetData(EfetGestLines::packet(int(state.range(0))));
    const int line = int(state.range(0)) / 2;
    for (auto _ : state) {
        cds->SetRecNo(line);
        cds->Edit();
        recordSet.cdsEfetGestUSR_QTEFETGEST->SetAsCurrency(Currency::fromInt(7));
        cds->Post();
        benchmark::DoNotOptimize(cds->Delta());
        state.PauseTiming();
        cds->CancelUpdates();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeltaOneChange)->Arg(1000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);

void BM_CurrencyProduct(benchmark::State& state)
{
    constexpr int Count = 1024;
    std::vector<Currency> quantities, prices;
    for (int i = 0; i < Count; ++i) {
        quantities.push_back(Currency::fromRaw(1000 + i * 125));
        prices.push_back(Currency::fromRaw(1'000'000 + i * 12'347));
    }
    for (auto _ : state) {
        for (int i = 0; i < Count; ++i)
            benchmark::DoNotOptimize(quantities[i] * prices[i]);
    }
    state.SetItemsProcessed(state.iterations() * Count);
}
BENCHMARK(BM_CurrencyProduct);

// Keeps each benchmark's CPU time per iteration (the median when repeated) so the summary can compare
// them; CPU time, because the machine is shared and wall time counts the others' work too.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool kept = run.run_type == Run::RT_Iteration || run.aggregate_name == "median";
            if (!kept || run.error_occurred)
                continue;
            seconds_[run.run_name.str()] =
                run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (const auto turns = run.counters.find("ratio"); turns != run.counters.end())
                turns_[run.run_name.str()] = turns->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printSummary() const
    {
        ratio("packet decode / QSqlTableModel load", "BM_DecodePacket100k", "BM_QSqlTableModel100k");
        ratio("packet assign / QSqlTableModel load", "BM_AssignPacket/100000", "BM_QSqlTableModel100k");
        ratio("packet assign / QJsonDocument::fromJson, 100000 lines", "BM_AssignPacket/100000",
              "BM_QJsonDocument100k");
        ratio("packet assign per line, 1000000 lines / 10000 lines", "BM_AssignPacket/1000000",
              "BM_AssignPacket/10000", 100.0);
        ratio("Delta of one change, 100000 lines / 1000 lines", "BM_DeltaOneChange/100000",
              "BM_DeltaOneChange/1000");
        for (const auto& [name, value] : turns_)
            std::printf("%s, timed in turns = %.2f\n", name.c_str(), value);
    }

private:
    // `scale`: how many times more lines the numerator's run holds.
    void ratio(const char* label, const std::string& numerator, const std::string& denominator,
               double scale = 1.0) const
    {
        const auto n = seconds_.find(numerator);
        const auto d = seconds_.find(denominator);
        if (n != seconds_.end() && d != seconds_.end() && d->second > 0)
            std::printf("%s = %.2f\n", label, n->second / d->second / scale);
    }

    std::map<std::string, double> seconds_;
    std::map<std::string, double> turns_;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // QSqlDatabase finds its driver plugins through the application object.
    QCoreApplication app(argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    return 0;
}

#include "AppServerProcess.h"
#include "BenchRun.h"
#include "Med00418.h"
#include "NetMediEfeti.h"
#include "PacketCodec.h"
#include "ProcessCpu.h"
#include "RdmMediEfeti.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ServerDatabase.h"
#include "TDBGrid.h"
#include "TDateEditPlus.h"
#include "TNetConnection.h"
#include "TfrmMediEfeti.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// Rounds of the list loads: each round loads the usual size and the long one in turn, so that both
// see the same load on the machine, and gives one per-line ratio of its own.
const int Rounds = BenchRun::size(11, 3);
const int Runs = BenchRun::size(21, 1);
// A list of the usual long size, and one ten times longer: the cost per line must not grow with it.
const int Lines = BenchRun::size(10'000, 200);
const int LongLines = BenchRun::size(100'000, 3'000);
const QString Branch = QStringLiteral("0001");
const QDate BigDate(2034, 2, 1);
const QDate LongDate(2034, 2, 2);

double elapsedMs(const std::function<void()>& measured)
{
    QElapsedTimer timer;
    timer.start();
    measured();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Milliseconds of `measured`, `Runs` times, with `prepare` run untimed before each.
QList<double> timed(const std::function<void()>& prepare, const std::function<void()>& measured)
{
    QList<double> samples;
    for (int run = 0; run < Runs; ++run) {
        prepare();
        samples << elapsedMs(measured);
    }
    return samples;
}

// CPU microseconds of this process (the host) and of the server, summed over the rounds: on a machine
// shared with other work they move far less than the milliseconds on the clock.
struct CpuSpent {
    qint64 host = 0;
    qint64 server = 0;
};

// The same step at the usual size and the long one, in turns: the milliseconds of each size, per
// round the long size's cost per line over the usual size's, and the CPU each size took.
struct SizePair {
    QList<double> usual;
    QList<double> longer;
    QList<double> perLineRatio;
    CpuSpent usualCpu;
    CpuSpent longerCpu;
};

double timedWithCpu(qint64 serverPid, CpuSpent& cpu, const std::function<void()>& measured)
{
    const qint64 host = ProcessCpu::ofThisProcess();
    const qint64 server = ProcessCpu::ofProcess(serverPid);
    const double ms = elapsedMs(measured);
    cpu.host += ProcessCpu::ofThisProcess() - host;
    cpu.server += ProcessCpu::ofProcess(serverPid) - server;
    return ms;
}

SizePair inTurns(qint64 serverPid, const std::function<void(QDate)>& prepare,
                 const std::function<void(QDate, int)>& measured)
{
    SizePair out;
    for (int round = 0; round < Rounds; ++round) {
        prepare(BigDate);
        const double usual = timedWithCpu(serverPid, out.usualCpu, [&] { measured(BigDate, Lines); });
        prepare(LongDate);
        const double longer = timedWithCpu(serverPid, out.longerCpu, [&] { measured(LongDate, LongLines); });
        out.usual << usual;
        out.longer << longer;
        out.perLineRatio << (longer / LongLines) / (usual / Lines);
    }
    return out;
}

// Services 00000 to 99999 exist once; each date gets its first `lines` of them.
void fillLines(ServerDatabase& db)
{
    db.exec(QStringLiteral("BEGIN"));
    for (int i = 0; i < std::max(Lines, LongLines); ++i) {
        const QString service = QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0'));
        if (i == 0 || i > 5)
            db.exec(QStringLiteral("INSERT INTO SERVICO (CDFILIAL, CDSERVFILI, NMSERVICO) VALUES (?, ?, ?)"),
                    {Branch, service, QStringLiteral("Serviço %1").arg(i)});
        for (const auto& [date, lines] : {std::pair{BigDate, Lines}, std::pair{LongDate, LongLines}}) {
            if (i < lines)
                db.insertLine(Branch, date, service, QString::number(1 + i % 50) + QStringLiteral(".5"),
                              QString::number(1000 + i) + QStringLiteral(".25"), QStringLiteral("1"));
        }
    }
    db.exec(QStringLiteral("COMMIT"));
}

void print(const QString& what, const QList<double>& samples, double target = 0)
{
    const double m = BenchRun::median(samples);
    std::printf("%-58s median %8.2f ms  (min %.2f, max %.2f)%s\n", qPrintable(what), m,
                *std::min_element(samples.begin(), samples.end()),
                *std::max_element(samples.begin(), samples.end()),
                target > 0 ? (m <= target ? "  target met" : "  TARGET MISSED") : "");
}

// The long size's cost per line over the usual size's, median of the rounds' own ratios.
void printPerLine(const char* what, const SizePair& sizes, double target = 0)
{
    const double m = BenchRun::median(sizes.perLineRatio);
    std::printf("per-line cost %s, %d lines / %d lines: median %.2f (min %.2f, max %.2f)%s\n", what,
                LongLines, Lines, m, *std::min_element(sizes.perLineRatio.begin(), sizes.perLineRatio.end()),
                *std::max_element(sizes.perLineRatio.begin(), sizes.perLineRatio.end()),
                target > 0 ? (m <= target ? "  target met (<= 1.2)" : "  TARGET MISSED (<= 1.2)") : "");
}

// CPU per load of each size, host and server, and the long size's CPU per line over the usual size's.
void printCpu(const char* what, const SizePair& sizes)
{
    const auto ms = [](qint64 micros) { return double(micros) / 1000.0 / Rounds; };
    const double usual = ms(sizes.usualCpu.host + sizes.usualCpu.server);
    const double longer = ms(sizes.longerCpu.host + sizes.longerCpu.server);
    std::printf("CPU per load %s: %d lines host %.1f + server %.1f ms, %d lines host %.1f + server %.1f ms; "
                "per line %d / %d: %.2f\n",
                what, Lines, ms(sizes.usualCpu.host), ms(sizes.usualCpu.server), LongLines,
                ms(sizes.longerCpu.host), ms(sizes.longerCpu.server), LongLines, Lines,
                usual > 0 ? (longer / LongLines) / (usual / Lines) : 0.0);
}

void closeScreen(ScreenFixture& fixture)
{
    if (!fixture.closeScreen())
        throw std::runtime_error("the screen did not close");
}

QString linesText(int lines)
{
    return QStringLiteral("%L1 lines").arg(lines);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        ScreenFixture fixture;
        fixture.setUp();
        fixture.stopServer();
        fillLines(fixture.serverDb());
        fixture.startServer();

        const QByteArray loadBefore = BenchRun::load();

        // The bare remote call and packet decode, on a connection of the benchmark's own.
        std::unique_ptr<TNetConnection> link(createNetMediEfeti(nullptr));
        applyServerAddress(*link);
        link->Open();
        const RdmMediEfeti rdm(*link);
        const qint64 serverPid = fixture.server().pid();
        const SizePair rawLoad = inTurns(
            serverPid, [](QDate) {},
            [&](QDate date, int lines) {
                const DataPacket packet = rdm.getEfetGest(Branch, TDateTime::fromDate(date)).toPacket();
                if (PacketCodec::decodeTable(packet, PacketCodec::decodeFieldDefs(packet)).rowCount() !=
                    lines)
                    throw std::runtime_error("the server did not send every line");
            });
        const QList<double> rawReserve = timed([] {},
                                               [&] {
                                                   QString number = rdm.GetPrxRelApurFat(QString());
                                                   rdm.SetDelTableApur(number);
                                               });

        // IniProc to the screen shown with its reservation held.
        const QList<double> open =
            timed([&] { closeScreen(fixture); },
                  [&] {
                      IniProc();
                      QApplication::processEvents();
                      if (!boStCriado || stPrxNr.isEmpty() || !frmMediEfeti->isVisible())
                          throw std::runtime_error("the screen did not open");
                  });

        // Leaving the filter panel for the grid to the grid painted, through the real server and client:
        // the date is typed untimed, the Tab that leaves the panel starts the clock.
        TfrmMediEfeti* screen = frmMediEfeti;
        if (!fixture.showLines(QStringLiteral("1"), BigDate) || fixture.rowCount() != Lines)
            throw std::runtime_error("the lines did not load");
        const SizePair load = inTurns(
            serverPid,
            [&](QDate date) {
                fixture.click(screen->depDataFatu);
                if (ScreenFixture::focus() != screen->depDataFatu)
                    throw std::runtime_error("the date did not take the focus");
                ScreenFixture::retype(ScreenFixture::dateKeys(date));
            },
            [&](QDate, int lines) {
                ScreenFixture::press(Qt::Key_Tab);
                QApplication::processEvents();
                screen->dbgData->grab();
                if (fixture.rowCount() != lines || !fixture.prompts().errors.isEmpty())
                    throw std::runtime_error("the lines did not load");
            });
        closeScreen(fixture);

        std::printf("Medição de Efetivos, offscreen, local application server; lists %d rounds of %s and %s "
                    "in turns, other figures %d runs\n",
                    Rounds, qPrintable(linesText(Lines)), qPrintable(linesText(LongLines)), Runs);
        std::printf("load before %s, after %s\n", loadBefore.constData(), BenchRun::load().constData());
        print(QStringLiteral("leaving the filter to the grid painted, ") + linesText(Lines), load.usual, 100);
        print(QStringLiteral("leaving the filter to the grid painted, ") + linesText(LongLines), load.longer,
              400);
        print(QStringLiteral("  of which getEfetGest + packet decode, ") + linesText(Lines), rawLoad.usual);
        print(QStringLiteral("  of which getEfetGest + packet decode, ") + linesText(LongLines),
              rawLoad.longer);
        std::printf("  ratio screen / bare call: %.2f at %s, %.2f at %s\n",
                    BenchRun::median(load.usual) / BenchRun::median(rawLoad.usual),
                    qPrintable(linesText(Lines)),
                    BenchRun::median(load.longer) / BenchRun::median(rawLoad.longer),
                    qPrintable(linesText(LongLines)));
        printPerLine("of the screen", load, 1.2);
        printPerLine("of the bare call", rawLoad);
        printCpu("of the screen", load);
        printCpu("of the bare call", rawLoad);
        print(QStringLiteral("IniProc to the screen shown, reservation held"), open, 150);
        print(QStringLiteral("  of which GetPrxRelApurFat + SetDelTableApur alone"), rawReserve);
        std::printf("  ratio screen / bare calls: %.2f\n",
                    BenchRun::median(open) / BenchRun::median(rawReserve));
        fixture.tearDown();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_med00418: %s\n", e.what());
        return 1;
    }
    return 0;
}

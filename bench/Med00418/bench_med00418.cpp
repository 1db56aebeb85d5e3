#include "AppServerProcess.h"
#include "BenchRun.h"
#include "Med00418.h"
#include "NetMediEfeti.h"
#include "PacketCodec.h"
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

const int Runs = BenchRun::size(21, 1);
// A list of the usual long size, and one ten times longer: the cost per line must not grow with it.
const int Lines = BenchRun::size(10'000, 200);
const int LongLines = BenchRun::size(100'000, 3'000);
const QString Branch = QStringLiteral("0001");
const QDate BigDate(2034, 2, 1);
const QDate LongDate(2034, 2, 2);

double median(QList<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Milliseconds of `measured`, `Runs` times, with `prepare` run untimed before each.
QList<double> timed(const std::function<void()>& prepare, const std::function<void()>& measured)
{
    QList<double> samples;
    for (int run = 0; run < Runs; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        samples << double(timer.nsecsElapsed()) / 1e6;
    }
    return samples;
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

void print(const char* what, const QList<double>& samples, double target)
{
    const double m = median(samples);
    std::printf("%-58s median %8.2f ms  (min %.2f, max %.2f)%s\n", what, m,
                *std::min_element(samples.begin(), samples.end()),
                *std::max_element(samples.begin(), samples.end()),
                target > 0 ? (m < target ? "  target met" : "  TARGET MISSED") : "");
}

void closeScreen(ScreenFixture& fixture)
{
    if (!fixture.closeScreen())
        throw std::runtime_error("the screen did not close");
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

        // The bare remote calls, on a connection of the benchmark's own.
        std::unique_ptr<TNetConnection> link(createNetMediEfeti(nullptr));
        applyServerAddress(*link);
        link->Open();
        const RdmMediEfeti rdm(*link);
        const QList<double> rawLoad = timed(
            [] {},
            [&] {
                const DataPacket packet = rdm.getEfetGest(Branch, TDateTime::fromDate(BigDate)).toPacket();
                if (PacketCodec::decodePacket(packet, PacketCodec::decodeFieldDefs(packet)).size() != Lines)
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

        // Leaving the filter panel for the grid to the grid painted, through the real server and client.
        TfrmMediEfeti* screen = frmMediEfeti;
        const auto loadOf = [&](QDate date, int lines) {
            if (!fixture.showLines(QStringLiteral("1"), date) || fixture.rowCount() != lines)
                throw std::runtime_error("the lines did not load");
            return timed(
                [&] {
                    fixture.click(screen->depDataFatu);
                    if (ScreenFixture::focus() != screen->depDataFatu)
                        throw std::runtime_error("the date did not take the focus");
                },
                [&] {
                    ScreenFixture::press(Qt::Key_Tab);
                    QApplication::processEvents();
                    screen->dbgData->grab();
                    if (fixture.rowCount() != lines || !fixture.prompts().errors.isEmpty())
                        throw std::runtime_error("the lines did not load");
                });
        };
        const QList<double> load = loadOf(BigDate, Lines);
        const QList<double> longLoad = loadOf(LongDate, LongLines);
        closeScreen(fixture);

        std::printf("Medição de Efetivos, offscreen, local application server, %d runs each\n", Runs);
        std::printf("load %s\n", BenchRun::load().constData());
        print(qPrintable(QStringLiteral("leaving the filter to the grid painted, %L1 lines").arg(Lines)),
              load, 100);
        print(qPrintable(QStringLiteral("leaving the filter to the grid painted, %L1 lines").arg(LongLines)),
              longLoad, 400);
        const double perLine = median(load) / Lines;
        const double longPerLine = median(longLoad) / LongLines;
        std::printf("  cost per line, %d lines / %d lines: %.2f%s\n", LongLines, Lines, longPerLine / perLine,
                    longPerLine / perLine <= 1.2 ? "  target met (<= 1.2)" : "  TARGET MISSED (<= 1.2)");
        print("  of which getEfetGest + packet decode alone", rawLoad, 0);
        std::printf("  ratio screen / bare call: %.2f\n", median(load) / median(rawLoad));
        print("IniProc to the screen shown, reservation held", open, 150);
        print("  of which GetPrxRelApurFat + SetDelTableApur alone", rawReserve, 0);
        std::printf("  ratio screen / bare calls: %.2f\n", median(open) / median(rawReserve));
        fixture.tearDown();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_med00418: %s\n", e.what());
        return 1;
    }
    return 0;
}

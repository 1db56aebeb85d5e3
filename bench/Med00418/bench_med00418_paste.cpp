// Pasting 1,000 spreadsheet rows into the screen against a local application server, offscreen (not a
// test), from the paste to the list shown again: each row goes through the checks of a typed line. Runs
// in turns the paste checked and saved row by row (two calls a row) and in blocks (one service check and
// one save for the block), and prints their medians side by side with the bare remote calls.
#include "BenchRun.h"
#include "NetMediEfeti.h"
#include "RdmMediEfeti.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ServerDatabase.h"
#include "TNetConnection.h"
#include "TfrmMediEfeti.h"
#include "dtmDBGeral.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <algorithm>
#include <array>
#include <cstdio>

namespace {

const int Runs = BenchRun::size(5, 1);
constexpr double TargetMs = 250;
const int Rows = BenchRun::size(1000, 20);
const QString Branch = QStringLiteral("0001");

QString code(int i)
{
    return QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0'));
}

// Services 00100 and up, on the server and in the local database the screen checks codes against.
void registerServices(ServerDatabase& server)
{
    QSqlQuery local(TdtmDBGeral::current()->adcGeral());
    server.exec(QStringLiteral("BEGIN"));
    for (int i = 100; i < 100 + Rows; ++i) {
        const QVariantList values{Branch, code(i), QStringLiteral("Serviço %1").arg(i)};
        server.exec(QStringLiteral("INSERT INTO SERVICO (CDFILIAL, CDSERVFILI, NMSERVICO) VALUES (?, ?, ?)"),
                    values);
        local.prepare(QStringLiteral("INSERT INTO SERVICO VALUES (?, ?, ?)"));
        for (const QVariant& v : values)
            local.addBindValue(v);
        if (!local.exec())
            throw std::runtime_error("the local database refused a service");
    }
    server.exec(QStringLiteral("COMMIT"));
}

QString block()
{
    QString text = QStringLiteral("Código\tEfetivos\tValor unitário\n");
    for (int i = 100; i < 100 + Rows; ++i)
        text += QStringLiteral("%1\t%2,5\t%3,25\n").arg(code(i)).arg(1 + i % 50).arg(1000 + i);
    return text;
}

// The system's load over the last minute, as /proc/loadavg tells it.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 0);
}

double median(QList<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The call log writes a line per call; only the figures are printed.
    qputenv("QT_LOGGING_RULES", "med.host.call=false");
    QApplication app(argc, argv);
    try {
        ScreenFixture fixture;
        fixture.setUp();
        registerServices(fixture.serverDb());
        const QString text = block();
        // Row by row first in every turn, then in blocks, each on a date of its own.
        const std::array<int, 2> blockRows{1, Rows};
        std::array<QList<double>, 2> paste;
        for (int run = 0; run < Runs; ++run) {
            for (std::size_t way = 0; way < blockRows.size(); ++way) {
                fixture.resetPrompts();
                TfrmMediEfeti* screen = fixture.openScreen();
                if (!screen || !fixture.activate())
                    throw std::runtime_error("the screen did not open");
                screen->SetPasteBlockRows(blockRows[way]);
                const QDate date = QDate(2035, 1, 1).addDays(run * 2 + int(way));
                if (!fixture.showLines(QStringLiteral("1"), date))
                    throw std::runtime_error("the lines did not load");
                QElapsedTimer timer;
                timer.start();
                screen->PasteLines(text);
                paste[way] << double(timer.nsecsElapsed()) / 1e6;
                if (fixture.rowCount() != Rows || !fixture.prompts().tables.isEmpty() ||
                    !fixture.prompts().errors.isEmpty() ||
                    fixture.serverDb().lines(Branch, date).size() != Rows)
                    throw std::runtime_error("not every row was stored");
                if (!fixture.closeScreen())
                    throw std::runtime_error("the screen did not close");
            }
        }

        // What one row costs on the wire alone: the service check and the save.
        std::unique_ptr<TNetConnection> link(createNetMediEfeti(nullptr));
        applyServerAddress(*link);
        link->Open();
        const RdmMediEfeti rdm(*link);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < Rows; ++i)
            rdm.GetVerifServ(Branch, TDateTime::fromDate(QDate(2035, 1, 1)), code(100 + i));
        const double checks = double(timer.nsecsElapsed()) / 1e6;

        const double rowByRow = median(paste[0]);
        const double blocks = median(paste[1]);
        const auto range = [](const QList<double>& samples) {
            return QStringLiteral("(min %1, max %2)")
                .arg(*std::min_element(samples.begin(), samples.end()), 0, 'f', 2)
                .arg(*std::max_element(samples.begin(), samples.end()), 0, 'f', 2);
        };
        std::printf("Medição de Efetivos, offscreen, local application server, %d runs in turns, load %s\n",
                    Runs, qPrintable(loadAverage()));
        std::printf("%-52s median %8.2f ms  %s\n", "pasting 1,000 rows, checked and saved row by row",
                    rowByRow, qPrintable(range(paste[0])));
        std::printf("%-52s median %8.2f ms  %s%s\n", "pasting 1,000 rows, checked and saved in blocks",
                    blocks, qPrintable(range(paste[1])),
                    blocks <= TargetMs ? "  target met" : "  TARGET MISSED");
        std::printf("  blocks / row by row: %.3f\n", blocks / rowByRow);
        std::printf("  1,000 GetVerifServ calls alone: %.2f ms (row by row takes %.2f times as long)\n",
                    checks, rowByRow / checks);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
}

// Pasting 1,000 spreadsheet rows into the screen against a local application server, offscreen (not a
// test): each row goes through the checks and the save of a typed line. Prints the median beside the
// bare remote calls one row needs.
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
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>

namespace {

const int Runs = BenchRun::size(5, 1);
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

double median(QList<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        ScreenFixture fixture;
        fixture.setUp();
        registerServices(fixture.serverDb());
        const QString text = block();
        QList<double> paste;
        for (int run = 0; run < Runs; ++run) {
            fixture.resetPrompts();
            TfrmMediEfeti* screen = fixture.openScreen();
            if (!screen || !fixture.activate())
                throw std::runtime_error("the screen did not open");
            const QDate date = QDate(2035, 1, 1).addDays(run);
            if (!fixture.showLines(QStringLiteral("1"), date))
                throw std::runtime_error("the lines did not load");
            QElapsedTimer timer;
            timer.start();
            screen->PasteLines(text);
            paste << double(timer.nsecsElapsed()) / 1e6;
            if (fixture.rowCount() != Rows || !fixture.prompts().tables.isEmpty() ||
                !fixture.prompts().errors.isEmpty())
                throw std::runtime_error("not every row was stored");
            if (!fixture.closeScreen())
                throw std::runtime_error("the screen did not close");
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

        const double m = median(paste);
        std::printf("Medição de Efetivos, offscreen, local application server, %d runs\n", Runs);
        std::printf(
            "%-58s median %8.2f ms  (min %.2f, max %.2f)%s\n", "pasting 1,000 rows, each checked and saved",
            m, *std::min_element(paste.begin(), paste.end()), *std::max_element(paste.begin(), paste.end()),
            m < 2000 ? "  target met" : "  TARGET MISSED");
        std::printf("  1,000 GetVerifServ calls alone: %.2f ms (the paste takes %.2f times as long)\n",
                    checks, m / checks);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
}

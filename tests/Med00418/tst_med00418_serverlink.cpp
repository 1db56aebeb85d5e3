#include "AppServerProcess.h"
#include "HostSettings.h"
#include "Med00418.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ScreenTest.h"
#include "ServerDatabase.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TMenuItem.h"
#include "TfrmMediEfeti.h"

#include <QClipboard>
#include <QLabel>
#include <QMainWindow>
#include <QtTest>
#include <functional>

using F = ScreenFixture;

namespace {

// Records as usual, and runs a step of the test's own the first time the busy sign shows.
class HookedPrompts : public RecordingPrompts {
public:
    // Runs as the screen starts to read the list (not while it saves).
    std::function<void()> onBusy;

    void ShowBusyFor(QWidget* over, int kind, const QString& waitingFor) override
    {
        if (waitingFor == QLatin1String("Carregando..."))
            if (const auto step = std::exchange(onBusy, nullptr))
                step();
        RecordingPrompts::ShowBusyFor(over, kind, waitingFor);
    }
};

} // namespace

// Saving, loading, refreshing and importing against the application server, when it answers and
// when it is gone.
class TstMed00418ServerLink : public ScreenTest {
    Q_OBJECT

    int nextDay_ = 0;

    QDate freshDate() { return QDate(2033, 7, 1).addDays(nextDay_++); }
    TDataSetState state() const { return screen_->cdsEfetGest->State(); }

    QString statusBar() const
    {
        const auto* label = fx_.mainWindow()->findChild<QLabel*>(QStringLiteral("lblTotais"));
        return label ? label->text() : QStringLiteral("<no label>");
    }

    void addLine(const QString& branch, QDate date, const QString& service, const QString& staff)
    {
        fx_.serverDb().insertLine(branch, date, service, staff, QStringLiteral("10"),
                                  QString::number(staff.toInt() * 10));
    }

    // One error shown, naming the unreachable server and saying in Portuguese what to do.
    void checkServerGoneShown()
    {
        QCOMPARE(prompts().errors.size(), 1);
        const QString address = QStringLiteral("127.0.0.1:%1").arg(fx_.port());
        const QStringList explained = {
            QStringLiteral("A comunicação com o servidor de aplicação %1 foi interrompida. Verifique se ele "
                           "continua em funcionamento e tente de novo.")
                .arg(address),
            QStringLiteral("Não foi possível falar com o servidor de aplicação %1. Verifique se ele está em "
                           "funcionamento e se o endereço nas configurações está certo.")
                .arg(address)};
        QVERIFY2(explained.contains(prompts().errors.first()), qPrintable(prompts().errors.first()));
        QVERIFY(!prompts().busy);
    }

private slots:
    void cleanup()
    {
        tester_.reset();
        fx_.server().resume();
        QSettings(HostSettings::filePath(), QSettings::IniFormat)
            .remove(QStringLiteral("Servidor/TimeoutMs"));
        fx_.startServer();
        fx_.serverDb().exec(QStringLiteral("DROP TRIGGER IF EXISTS bloqueia"));
        QVERIFY(!prompts().busy);
        QVERIFY(fx_.closeScreen());
    }

    void failedSaveOfANewLineTakesItBack()
    {
        const QDate date = freshDate();
        addLine(QStringLiteral("0001"), date, QStringLiteral("00001"), QStringLiteral("2"));
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        // The server checks the new service, then refuses to store the line.
        fx_.serverDb().exec(QStringLiteral("CREATE TRIGGER bloqueia BEFORE INSERT ON USR_EFETGEST "
                                           "BEGIN SELECT RAISE(ABORT, 'gravação bloqueada'); END"));
        F::typeNewLine(QStringLiteral("5"), QStringLiteral("3"), QStringLiteral("7"));
        QCOMPARE(fx_.rowCount(), 2);
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors.size(), 1);
        QVERIFY2(prompts().errors.first().contains(QStringLiteral("banco de dados")),
                 qPrintable(prompts().errors.first()));
        QCOMPARE(state(), TDataSetState::dsBrowse);
        QCOMPARE(screen_->cdsEfetGest->ChangeCount(), 0);
        QCOMPARE(fx_.shownLines(), QStringList({"00001|Vigilância|2,000|10,000|20,000"}));
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date),
                 QStringList({"00001|2.0000|10.0000|20.0000"}));

        // The screen goes on: the same line saves once the server takes it.
        fx_.serverDb().exec(QStringLiteral("DROP TRIGGER bloqueia"));
        F::press(Qt::Key_Home);
        F::press(Qt::Key_Insert);
        F::type(QStringLiteral("5"));
        F::press(Qt::Key_Tab);
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("3"));
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("7"));
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors.size(), 1);
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date).size(), 2);
    }

    void failedSaveOfAChangeGivesTheOldValuesBack()
    {
        const QDate date = freshDate();
        addLine(QStringLiteral("0002"), date, QStringLiteral("00003"), QStringLiteral("4"));
        addLine(QStringLiteral("0002"), date, QStringLiteral("00004"), QStringLiteral("5"));
        QVERIFY(fx_.showLines(QStringLiteral("2"), date));
        QVERIFY(fx_.clickCell(0, F::Staff));
        F::type(QStringLiteral("9"));
        F::press(Qt::Key_Tab);
        QCOMPARE(fx_.cell(0, F::Staff), QStringLiteral("9,000"));

        fx_.stopServer();
        F::press(Qt::Key_Down); // leaving a changed line posts it
        checkServerGoneShown();
        QCOMPARE(state(), TDataSetState::dsBrowse);
        QCOMPARE(fx_.shownLines(),
                 QStringList({"00003|Portaria|4,000|10,000|40,000", "00004|Recepção|5,000|10,000|50,000"}));
        QCOMPARE(screen_->cdsEfetGest->ChangeCount(), 0);
        fx_.startServer();
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0002"), date).first(),
                 QStringLiteral("00003|4.0000|10.0000|40.0000"));
    }

    // The server takes the call but is held (SIGSTOP) past both tries of the client; it applies the change
    // when it goes on. `rereadAnswered`: it goes on before the screen reads the list again. %1: its port.
    void unsureSaveShowsWhatTheServerHolds_data()
    {
        QTest::addColumn<bool>("deleting");
        QTest::addColumn<bool>("rereadAnswered");
        QTest::addColumn<QStringList>("held");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("status"); // the status bar afterwards
        const QString unsure =
            QStringLiteral("O servidor de aplicação 127.0.0.1:%1 não respondeu a tempo (2\u00A0s). "
                           "A alteração pode ter sido gravada ou não.");
        const QString reread =
            unsure + QStringLiteral(" A lista foi lida de novo e mostra o que o servidor guarda.");
        QTest::newRow("staff changed from 9 to 8")
            << false << true << QStringList{"00003|8.0000|10.0000|80.0000", "00004|5.0000|10.0000|50.0000"}
            << QStringList{"00003|Portaria|8,000|10,000|80,000", "00004|Recepção|5,000|10,000|50,000"}
            << reread << "Linhas: 2   Efetivos: 13,000   Total: 130,000";
        QTest::newRow("line deleted") << true << true << QStringList{"00004|5.0000|10.0000|50.0000"}
                                      << QStringList{"00004|Recepção|5,000|10,000|50,000"} << reread
                                      << "Linhas: 1   Efetivos: 5,000   Total: 50,000";
        QTest::newRow("staff changed, list not read again")
            << false << false << QStringList{"00003|8.0000|10.0000|80.0000", "00004|5.0000|10.0000|50.0000"}
            << QStringList()
            << unsure +
                   QStringLiteral(" A lista não pôde ser lida de novo: O servidor de aplicação 127.0.0.1:%1 "
                                  "não respondeu a tempo (2\u00A0s). Carregue-a outra vez quando o servidor "
                                  "responder.")
            << "Lista não carregada: O servidor de aplicação 127.0.0.1:%1 não respondeu a tempo (2\u00A0s).";
    }

    void unsureSaveShowsWhatTheServerHolds()
    {
        QFETCH(bool, deleting);
        QFETCH(bool, rereadAnswered);
        QFETCH(QStringList, held);
        QFETCH(QStringList, shown);
        QFETCH(QString, message);
        QFETCH(QString, status);
        const QDate date = freshDate();
        addLine(QStringLiteral("0002"), date, QStringLiteral("00003"), QStringLiteral("9"));
        addLine(QStringLiteral("0002"), date, QStringLiteral("00004"), QStringLiteral("5"));
        QVERIFY(fx_.showLines(QStringLiteral("2"), date));
        auto& hooked = static_cast<HookedPrompts&>(fx_.usePrompts(std::make_unique<HookedPrompts>()));
        QSettings(HostSettings::filePath(), QSettings::IniFormat)
            .setValue(QStringLiteral("Servidor/TimeoutMs"), 1000);

        QVERIFY(fx_.server().pause());
        bool resumed = false;
        // Goes on, and is waited for until the change it was sent shows in its database; no event of
        // the screen runs meanwhile.
        const auto resume = [&] {
            if (std::exchange(resumed, true))
                return;
            fx_.server().resume();
            const QDeadlineTimer deadline(20000);
            while (fx_.serverDb().lines(QStringLiteral("0002"), date) != held && !deadline.hasExpired())
                QThread::msleep(20);
        };
        if (rereadAnswered)
            hooked.onBusy = resume;
        if (deleting) {
            prompts().answers = {true};
            fx_.click(screen_->sbtExcluir);
        } else {
            QVERIFY(fx_.clickCell(0, F::Staff));
            F::type(QStringLiteral("8"));
            fx_.click(screen_->sbtConfirmar);
        }
        QVERIFY(QTest::qWaitFor([&] { return !prompts().errors.isEmpty(); }, 30000));
        resume();
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0002"), date), held);
        QCOMPARE(fx_.shownLines(), shown);
        QCOMPARE(prompts().errors, QStringList{message.arg(fx_.port())});
        QCOMPARE(state(), TDataSetState::dsBrowse);
        QCOMPARE(screen_->cdsEfetGest->ChangeCount(), 0);
        QCOMPARE(screen_->sbtAlterar->isEnabled(), !shown.isEmpty());
        QCOMPARE(statusBar(), status.arg(fx_.port()));
        // A list not read again is no empty day: only reading it again is offered.
        const bool listed = !status.startsWith(QStringLiteral("Lista não carregada: "));
        for (TButtonFlat* command : {screen_->sbtIncluir, screen_->btnImporta}) {
            QCOMPARE(command->Enabled(), listed);
            if (TMenuItem* entry = screen_->MenuItemOf(command))
                QCOMPARE(entry->isEnabled(), listed);
        }
        QVERIFY(screen_->sbtVerificar->Enabled());
        F::press(Qt::Key_Insert);
        QCOMPARE(state(), listed ? TDataSetState::dsInsert : TDataSetState::dsBrowse);
        F::press(Qt::Key_Escape);
    }

    // The server reads freely but its writes wait on a lock the test holds past both tries of the client,
    // then take their turn: the first pasted line may be stored, so the paste stops there.
    void pasteStopsAtALineWhoseSaveWasNotAnswered()
    {
        const QDate date = freshDate();
        addLine(QStringLiteral("0002"), date, QStringLiteral("00003"), QStringLiteral("9"));
        QVERIFY(fx_.showLines(QStringLiteral("2"), date));
        auto& hooked = static_cast<HookedPrompts&>(fx_.usePrompts(std::make_unique<HookedPrompts>()));
        QSettings(HostSettings::filePath(), QSettings::IniFormat)
            .setValue(QStringLiteral("Servidor/TimeoutMs"), 1000);

        ServerDatabase& db = fx_.serverDb();
        // Both rows went in the block's one save, which lands once the database is free again.
        const QStringList held{"00001|3.0000|10.0000|30.0000", "00002|4.0000|10.0000|40.0000",
                               "00003|9.0000|10.0000|90.0000"};
        db.exec(QStringLiteral("BEGIN IMMEDIATE"));
        bool released = false;
        const auto release = [&] {
            if (std::exchange(released, true))
                return;
            db.exec(QStringLiteral("ROLLBACK"));
            const QDeadlineTimer deadline(20000);
            while (db.lines(QStringLiteral("0002"), date) != held && !deadline.hasExpired())
                QThread::msleep(20);
        };
        // Once the list is read again.
        hooked.onBusy = release;
        QGuiApplication::clipboard()->setText(QStringLiteral("1\t3\t10\n2\t4\t10\n"));
        F::press(Qt::Key_V, Qt::ControlModifier);
        QVERIFY(fx_.activate());
        release();

        QCOMPARE(db.lines(QStringLiteral("0002"), date), held);
        QCOMPARE(fx_.shownLines(), QStringList({"00001|Vigilância|3,000|10,000|30,000",
                                                "00002|Limpeza e Conservação|4,000|10,000|40,000",
                                                "00003|Portaria|9,000|10,000|90,000"}));
        const QString unsure =
            QStringLiteral("O servidor de aplicação 127.0.0.1:%1 não respondeu a tempo (2\u00A0s). A "
                           "alteração pode ter sido gravada ou não.")
                .arg(fx_.port());
        QCOMPARE(prompts().errors,
                 QStringList{unsure +
                             QStringLiteral(" A lista foi lida de novo e mostra o que o servidor guarda.")});
        QCOMPARE(prompts().tables.size(), 1);
        QStringList listed;
        for (const QStringList& row : prompts().tables.first().rows)
            listed << row[0] + QLatin1Char('|') + row[2];
        QCOMPARE(listed, QStringList({"1|" + unsure, "2|" + unsure}));
    }

    void failedDeleteBringsTheLineBack()
    {
        const QDate date = freshDate();
        addLine(QStringLiteral("0002"), date, QStringLiteral("00001"), QStringLiteral("1"));
        addLine(QStringLiteral("0002"), date, QStringLiteral("00002"), QStringLiteral("2"));
        QVERIFY(fx_.showLines(QStringLiteral("2"), date));
        const QStringList before = fx_.shownLines();
        fx_.stopServer();
        prompts().answers = {true};
        fx_.click(screen_->sbtExcluir);
        checkServerGoneShown();
        QCOMPARE(fx_.shownLines(), before);
        QCOMPARE(screen_->cdsEfetGest->ChangeCount(), 0);
        fx_.startServer();
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0002"), date).size(), 2);
    }

    void failedLoadEmptiesTheList()
    {
        const QDate shown = freshDate();
        addLine(QStringLiteral("0003"), shown, QStringLiteral("00001"), QStringLiteral("1"));
        addLine(QStringLiteral("0003"), shown, QStringLiteral("00002"), QStringLiteral("2"));
        QVERIFY(fx_.showLines(QStringLiteral("3"), shown));
        QCOMPARE(fx_.rowCount(), 2);

        fx_.stopServer();
        QVERIFY(fx_.showLines(QStringLiteral("4"), freshDate()));
        checkServerGoneShown();
        QCOMPARE(fx_.rowCount(), 0);
        QVERIFY(screen_->cdsEfetGest->IsEmpty());
        QVERIFY(!screen_->sbtAlterar->isEnabled());
        QVERIFY(!screen_->sbtExcluir->isEnabled());
        QVERIFY(!screen_->mnuAlterar->isEnabled());
    }

    void failedRefreshKeepsTheList()
    {
        const QDate date = freshDate();
        addLine(QStringLiteral("0003"), date, QStringLiteral("00004"), QStringLiteral("3"));
        QVERIFY(fx_.showLines(QStringLiteral("3"), date));
        const QStringList before = fx_.shownLines();
        QCOMPARE(before.size(), 1);
        fx_.stopServer();
        fx_.click(screen_->sbtVerificar);
        checkServerGoneShown();
        QCOMPARE(fx_.shownLines(), before);
        QVERIFY(screen_->sbtAlterar->isEnabled());
    }

    void refreshShowsWhatTheServerHoldsNow()
    {
        const QDate date = freshDate();
        addLine(QStringLiteral("0004"), date, QStringLiteral("00001"), QStringLiteral("1"));
        addLine(QStringLiteral("0004"), date, QStringLiteral("00002"), QStringLiteral("2"));
        QVERIFY(fx_.showLines(QStringLiteral("4"), date));
        QCOMPARE(fx_.rowCount(), 2);

        ServerDatabase& db = fx_.serverDb();
        db.exec(QStringLiteral("DELETE FROM USR_EFETGEST WHERE USR_CDFILIAL = '0004' AND USR_DTEFETGEST = ? "
                               "AND USR_CDSERVFILI = '00001'"),
                {date.toString(Qt::ISODate)});
        db.exec(QStringLiteral("UPDATE USR_EFETGEST SET USR_QTEFETGEST = ?, USR_VRTTSERVGEST = ? WHERE "
                               "USR_CDFILIAL = '0004' AND USR_DTEFETGEST = ? AND USR_CDSERVFILI = '00002'"),
                {ServerDatabase::scaled(QStringLiteral("6.5")), ServerDatabase::scaled(QStringLiteral("65")),
                 date.toString(Qt::ISODate)});
        addLine(QStringLiteral("0004"), date, QStringLiteral("00007"), QStringLiteral("8"));

        fx_.click(screen_->sbtVerificar);
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(fx_.shownLines(), QStringList({"00002|Limpeza e Conservação|6,500|10,000|65,000",
                                                "00007|Copeiragem|8,000|10,000|80,000"}));
        QVERIFY(screen_->sbtAlterar->isEnabled());
        QVERIFY(screen_->btnImporta->isEnabled());
    }

    void importAddsTheBillingLinesAndHandsTheReservationBack_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::addColumn<bool>("reservationExpired");
        QTest::newRow("button, reservation held") << false << false;
        QTest::newRow("menu entry, reservation expired") << true << true;
    }

    void importAddsTheBillingLinesAndHandsTheReservationBack()
    {
        QFETCH(bool, byMenu);
        QFETCH(bool, reservationExpired);
        // The demo server holds billing for the last ten days; each row takes another day.
        const QDate date = QDate::currentDate().addDays(byMenu ? -2 : -1);
        ServerDatabase& db = fx_.serverDb();
        const QStringList billing = db.rows(
            QStringLiteral("SELECT CDSERVFILIAPGD, NREFETIVOSAPGD, VRPRECUNITAPGD FROM APURFATGD WHERE "
                           "CDFILIAL = '0002' AND DTAPURACFATGD = ? ORDER BY CDSERVFILIAPGD"),
            {date.toString(Qt::ISODate)});
        QCOMPARE(billing.size(), 6);
        // A line already measured stays as the user left it.
        addLine(QStringLiteral("0002"), date, QStringLiteral("00001"), QStringLiteral("1"));
        QVERIFY(fx_.showLines(QStringLiteral("2"), date));
        QCOMPARE(fx_.rowCount(), 1);

        const QString reservation = stPrxNr;
        QCOMPARE(db.reservations(reservation), 1);
        if (reservationExpired)
            db.exec(QStringLiteral("DELETE FROM RESERVA WHERE NRRESERVA = ?"),
                    {reservation.section(QLatin1Char('-'), 0, 0).toLongLong()});
        if (byMenu)
            screen_->mnuImpEF->trigger();
        else
            fx_.click(screen_->btnImporta);
        QCOMPARE(prompts().errors, QStringList());
        QVERIFY(!prompts().busy);
        QVERIFY(prompts().busyKinds.contains(6));

        const QStringList saved = db.lines(QStringLiteral("0002"), date);
        QCOMPARE(saved.size(), 6);
        QCOMPARE(saved.first(), QStringLiteral("00001|1.0000|10.0000|10.0000"));
        QCOMPARE(fx_.rowCount(), 6);
        for (int row = 1; row < 6; ++row) {
            const QStringList billed = billing[row].split(QLatin1Char('|'));
            const QStringList line = saved[row].split(QLatin1Char('|'));
            QCOMPARE(line[0], billed[0]);
            QCOMPARE(ServerDatabase::scaled(line[1]).toLongLong(), billed[1].toLongLong());
            QCOMPARE(ServerDatabase::scaled(line[2]).toLongLong(), billed[2].toLongLong());
            QCOMPARE(fx_.cell(row, F::Code), billed[0]);
            QVERIFY(!fx_.cell(row, F::Name).isEmpty());
        }

        // The screen holds the number the server left, and closing releases that one.
        if (reservationExpired)
            QVERIFY(stPrxNr != reservation);
        else
            QCOMPARE(stPrxNr, reservation);
        const QString held = stPrxNr;
        QCOMPARE(db.reservations(held), 1);
        QVERIFY(fx_.closeScreen());
        QCOMPARE(db.reservations(held), 0);
    }

    void failedImportKeepsTheList()
    {
        const QDate date = QDate::currentDate().addDays(-3);
        addLine(QStringLiteral("0001"), date, QStringLiteral("00002"), QStringLiteral("2"));
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        const QStringList before = fx_.shownLines();
        fx_.stopServer();
        fx_.click(screen_->btnImporta);
        checkServerGoneShown();
        QCOMPARE(fx_.shownLines(), before);
        QVERIFY(screen_->btnImporta->isEnabled());
    }
};

QTEST_MAIN(TstMed00418ServerLink)
#include "tst_med00418_serverlink.moc"

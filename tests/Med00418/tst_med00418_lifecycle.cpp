#include "AppServerProcess.h"
#include "Application.h"
#include "Med00418.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ServerDatabase.h"
#include "TButtonFlat.h"
#include "TDBGrid.h"
#include "TDateEditPlus.h"
#include "TMaskEdit.h"
#include "TfrmMediEfeti.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

namespace {

// Also notes the mouse cursor each time the busy indicator comes up.
class CursorWatchingPrompts : public RecordingPrompts {
public:
    void ShowBusy(QWidget* over, int kind) override
    {
        cursorsWhenBusy << Application::instance().Cursor();
        RecordingPrompts::ShowBusy(over, kind);
    }
    QList<int> cursorsWhenBusy;
};

int screensAlive()
{
    int alive = 0;
    for (QWidget* widget : QApplication::allWidgets())
        alive += qstrcmp(widget->metaObject()->className(), "TfrmMediEfeti") == 0 ? 1 : 0;
    return alive;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class TstMed00418Lifecycle : public QObject {
    Q_OBJECT

    ScreenFixture fx_;

    int allReservations() const
    {
        return fx_.serverDb().value(QStringLiteral("SELECT COUNT(*) FROM RESERVA")).toInt();
    }

private slots:
    void initTestCase() { fx_.setUp(); }
    void cleanupTestCase() { fx_.tearDown(); }

    void init()
    {
        fx_.resetPrompts();
        QVERIFY(fx_.activate());
    }

    void cleanup()
    {
        fx_.startServer();
        fx_.pointSettingsAt(0);
        QVERIFY(fx_.closeScreen());
    }

    void iniProcTwiceKeepsOneInstanceAndOneReservation()
    {
        auto& prompts =
            static_cast<CursorWatchingPrompts&>(fx_.usePrompts(std::make_unique<CursorWatchingPrompts>()));
        QPointer<TfrmMediEfeti> screen = fx_.openScreen();
        QVERIFY(screen);
        QVERIFY(fx_.activate());
        const QString reservation = stPrxNr;
        QVERIFY(!reservation.isEmpty());
        QCOMPARE(fx_.serverDb().reservations(reservation), 1);
        // The hourglass stands while the server is asked, and is gone afterwards.
        QCOMPARE(prompts.cursorsWhenBusy, QList<int>{Application::crHourGlass});
        QCOMPARE(prompts.busyKinds, QList<int>{0});
        QVERIFY(!prompts.busy);
        QCOMPARE(Application::instance().Cursor(), Application::crDefault);
        QVERIFY(!QApplication::overrideCursor());
        const int reservationsBefore = allReservations();

        screen->SetWindowState(TWindowState::wsMinimized);
        IniProc();
        QVERIFY(boStCriado);
        QCOMPARE(frmMediEfeti, screen.data());
        QCOMPARE(stPrxNr, reservation);
        QCOMPARE(allReservations(), reservationsBefore);
        QCOMPARE(prompts.busyShown, 1);
        QCOMPARE(fx_.mdiArea()->subWindowList().size(), 1);
        QCOMPARE(screen->WindowState(), TWindowState::wsNormal);
        QVERIFY(screen->isVisible());
        QCOMPARE(fx_.mdiArea()->activeSubWindow()->widget(), screen.data());
        QCOMPARE(screensAlive(), 1);
        QVERIFY(!QApplication::overrideCursor());
    }

    void closingReleasesAndIniProcReservesAgain_data()
    {
        QTest::addColumn<bool>("byWindow");
        QTest::newRow("close command") << false;
        QTest::newRow("window's own close") << true;
    }

    void closingReleasesAndIniProcReservesAgain()
    {
        QFETCH(bool, byWindow);
        QPointer<TfrmMediEfeti> first = fx_.openScreen();
        QVERIFY(first);
        QVERIFY(fx_.activate());
        const QString firstReservation = stPrxNr;
        QCOMPARE(fx_.serverDb().reservations(firstReservation), 1);

        if (byWindow)
            fx_.mdiArea()->activeSubWindow()->close();
        else
            fx_.click(first->sbtFechar);
        QVERIFY(!boStCriado);
        QTRY_VERIFY(first.isNull());
        QVERIFY(fx_.prompts().errors.isEmpty());
        QCOMPARE(fx_.serverDb().reservations(firstReservation), 0);
        QTRY_COMPARE(fx_.mdiArea()->subWindowList().size(), 0);

        QPointer<TfrmMediEfeti> second = fx_.openScreen();
        QVERIFY(second);
        QVERIFY(fx_.activate());
        QVERIFY(stPrxNr != firstReservation);
        QCOMPARE(fx_.serverDb().reservations(stPrxNr), 1);
        QCOMPARE(screensAlive(), 1);
    }

    void closingWithTheFilterHalfTypedSaysNothing_data()
    {
        QTest::addColumn<bool>("onTheDate");
        QTest::newRow("unknown branch typed") << false;
        QTest::newRow("on the date, no branch") << true;
    }

    void closingWithTheFilterHalfTypedSaysNothing()
    {
        QFETCH(bool, onTheDate);
        QPointer<TfrmMediEfeti> screen = fx_.openScreen();
        QVERIFY(screen);
        QVERIFY(fx_.activate());
        const QString reservation = stPrxNr;
        fx_.click(onTheDate ? static_cast<QWidget*>(screen->depDataFatu) : screen->medCdFilial);
        ScreenFixture::retype(onTheDate ? QStringLiteral("0101") : QStringLiteral("9"));
        fx_.click(screen->sbtFechar);
        QTRY_VERIFY(screen.isNull());
        QCOMPARE(fx_.prompts().errors, QStringList());
        QVERIFY(!boStCriado);
        QCOMPARE(fx_.serverDb().reservations(reservation), 0);
    }

    void failedReleaseAsksOnceAndLetsTheUserClose_data()
    {
        QTest::addColumn<bool>("byWindow");
        QTest::addColumn<bool>("closeAnyway");
        QTest::newRow("close command, closed anyway") << false << true;
        QTest::newRow("window's own close, kept open") << true << false;
    }

    void failedReleaseAsksOnceAndLetsTheUserClose()
    {
        QFETCH(bool, byWindow);
        QFETCH(bool, closeAnyway);
        QPointer<TfrmMediEfeti> screen = fx_.openScreen();
        QVERIFY(screen);
        QVERIFY(fx_.activate());
        const QString reservation = stPrxNr;

        fx_.stopServer();
        fx_.prompts().answers = {closeAnyway};
        if (byWindow)
            fx_.mdiArea()->activeSubWindow()->close();
        else
            fx_.click(screen->sbtFechar);
        // One question that says why.
        QCOMPARE(fx_.prompts().questions.size(), 1);
        QVERIFY2(fx_.prompts().questions.first().contains(QString::number(fx_.port())),
                 qPrintable(fx_.prompts().questions.first()));
        QCOMPARE(fx_.prompts().errors, QStringList());
        flushDeletes();
        fx_.startServer();
        if (closeAnyway) {
            QVERIFY(!boStCriado);
            QTRY_VERIFY(screen.isNull());
            QTRY_COMPARE(fx_.mdiArea()->subWindowList().size(), 0);
            // Left for the server to expire.
            QCOMPARE(fx_.serverDb().reservations(reservation), 1);
            return;
        }
        QVERIFY(boStCriado);
        QVERIFY(screen);
        QCOMPARE(frmMediEfeti, screen.data());
        QVERIFY(screen->isVisible());
        QCOMPARE(stPrxNr, reservation);

        // Still the user's screen: it loads lines once the server is back, and IniProc re-shows it.
        const QDate date(2031, 3, 10);
        fx_.serverDb().insertLine(QStringLiteral("0003"), date, QStringLiteral("00002"), QStringLiteral("4"),
                                  QStringLiteral("10"), QStringLiteral("40"));
        QVERIFY(fx_.showLines(QStringLiteral("3"), date));
        QCOMPARE(fx_.shownLines(), QStringList({"00002|Limpeza e Conservação|4,000|10,000|40,000"}));
        IniProc();
        QCOMPARE(frmMediEfeti, screen.data());
        QCOMPARE(stPrxNr, reservation);

        fx_.click(screen->sbtFechar);
        QTRY_VERIFY(screen.isNull());
        QVERIFY(!boStCriado);
        QCOMPARE(fx_.prompts().questions.size(), 1);
        QCOMPARE(fx_.serverDb().reservations(reservation), 0);
    }

    void failedCreationLeavesNoHourglassNorIndicator_data()
    {
        QTest::addColumn<bool>("serverAnswers");
        QTest::newRow("no server") << false;
        QTest::newRow("call refused") << true;
    }

    void failedCreationLeavesNoHourglassNorIndicator()
    {
        QFETCH(bool, serverAnswers);
        // A server that answers but refuses every call: it wants a token the settings do not have.
        AppServerProcess guarded({}, {QStringLiteral("--token"), QStringLiteral("segredo-do-servidor")});
        if (serverAnswers) {
            guarded.start();
            fx_.pointSettingsAt(guarded.port());
        } else {
            fx_.stopServer();
        }
        auto& prompts =
            static_cast<CursorWatchingPrompts&>(fx_.usePrompts(std::make_unique<CursorWatchingPrompts>()));

        // As the host enters the module: errors end in its general reporting.
        QVERIFY(!Application::instance().Guard([] { IniProc(); }));
        QCOMPARE(prompts.errors.size(), 1);
        QVERIFY2(prompts.errors.first().size() > 10, qPrintable(prompts.errors.first()));
        if (!serverAnswers)
            QVERIFY(prompts.errors.first().contains(QString::number(fx_.port())));
        QVERIFY(!boStCriado);
        QCOMPARE(Application::instance().Cursor(), Application::crDefault);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(prompts.cursorsWhenBusy, QList<int>{Application::crHourGlass});
        QVERIFY(!prompts.busy);
        flushDeletes();
        QCOMPARE(fx_.mdiArea()->subWindowList().size(), 0);
        QCOMPARE(screensAlive(), 0);

        // Nothing is left behind that would stop the next try.
        fx_.startServer();
        fx_.pointSettingsAt(0);
        QVERIFY(fx_.openScreen());
        QVERIFY(fx_.activate());
        QCOMPARE(fx_.serverDb().reservations(stPrxNr), 1);
        QCOMPARE(prompts.errors.size(), 1);
        QCOMPARE(screensAlive(), 1);
    }
};

QTEST_MAIN(TstMed00418Lifecycle)
#include "tst_med00418_lifecycle.moc"

#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ScreenTest.h"
#include "ServerDatabase.h"
#include "TClientDataSet.h"
#include "TestAccount.h"
#include "TfrmMediEfeti.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using F = ScreenFixture;

// What the grid offers beyond typing: the history of a line, copying and exporting the list, and the
// list's totals in the host's status bar. Pasting lines has its own test.
class TstMed00418Extras : public ScreenTest {
    Q_OBJECT

    int nextDay_ = 0;

    QDate freshDate() { return QDate(2033, 2, 1).addDays(nextDay_++); }

    // "kind|staff before → after" per row of the history dialog last shown.
    QStringList shownHistory() const
    {
        if (prompts().tables.isEmpty())
            return {QStringLiteral("<no dialog>")};
        QStringList out;
        for (const QStringList& row : prompts().tables.last().rows)
            out << row[1] + QLatin1Char('|') + row[4];
        return out;
    }

    // `count` changes of the line of service 00001 on `date`, stored straight in the server's table:
    // change i takes the staff from i to i + 1.
    void storeHistory(QDate date, int count)
    {
        fx_.serverDb().exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                           "INSERT INTO HIST_EFETGEST (QUANDO, CLIENTE, USUARIO, TIPO, CDFILIAL, DTEFETGEST, "
                           "CDSERVFILI, QT_ANTES, VR_ANTES, TT_ANTES, QT_DEPOIS, VR_DEPOIS, TT_DEPOIS) "
                           "SELECT 1700000000000 + i * 1000, '127.0.0.1', 'clerk.two', 'update', '0001', ?, "
                           "'00001', i * 10000, 10000, i * 10000, (i + 1) * 10000, 10000, (i + 1) * 10000 "
                           "FROM n"),
            {count, date.toString(Qt::ISODate)});
    }

    // Two lines on a fresh date, shown.
    QDate showTwoLines()
    {
        const QDate date = freshDate();
        fx_.serverDb().insertLine(QStringLiteral("0001"), date, QStringLiteral("00001"),
                                  QStringLiteral("2.5"), QStringLiteral("1234.56"), QStringLiteral("3086.4"));
        fx_.serverDb().insertLine(QStringLiteral("0001"), date, QStringLiteral("00003"), QStringLiteral("1"),
                                  QStringLiteral("10"), QStringLiteral("10"));
        return fx_.showLines(QStringLiteral("1"), date) ? date : QDate();
    }

    QString totals() const
    {
        const auto* label = fx_.mainWindow()->findChild<QLabel*>(QStringLiteral("lblTotais"));
        return label ? label->text() : QStringLiteral("<no label>");
    }

private slots:
    void statusBarShowsTheListsTotals()
    {
        const QDate date = showTwoLines();
        QVERIFY(date.isValid());
        QCOMPARE(totals(), QStringLiteral("Linhas: 2   Efetivos: 3,500   Total: 3.096,400"));

        QVERIFY(fx_.clickCell(0, F::Staff));
        F::type(QStringLiteral("4"));
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(totals(), QStringLiteral("Linhas: 2   Efetivos: 5,000   Total: 4.948,240"));

        prompts().answers << true;
        fx_.click(screen_->sbtExcluir);
        QVERIFY(fx_.activate());
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(totals(), QStringLiteral("Linhas: 1   Efetivos: 1,000   Total: 10,000"));

        // Fractions of a cent add up exactly: no binary floating point on the way.
        fx_.serverDb().exec(QStringLiteral("INSERT INTO APURFATGD (CDFILIAL, DTAPURACFATGD, CDSERVFILIAPGD, "
                                           "NREFETIVOSAPGD, VRPRECUNITAPGD) VALUES (?, ?, ?, ?, ?)"),
                            {QStringLiteral("0001"), date.toString(Qt::ISODate), QStringLiteral("00002"),
                             ServerDatabase::scaled(QStringLiteral("0.1")),
                             ServerDatabase::scaled(QStringLiteral("0.2"))});
        fx_.click(screen_->btnImporta);
        QVERIFY(fx_.activate());
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(totals(),
                 QStringLiteral("1 linha importada.   Linhas: 2   Efetivos: 1,100   Total: 10,020"));

        F::press(Qt::Key_Insert);
        QCOMPARE(totals(),
                 QStringLiteral("1 linha importada.   Linhas: 2   Efetivos: 1,100   Total: 10,020"));
        F::press(Qt::Key_Escape);
    }

    void copyGivesTabSeparatedTextWithTitles()
    {
        QVERIFY(showTwoLines().isValid());
        QGuiApplication::clipboard()->clear();
        F::press(Qt::Key_Right);
        F::press(Qt::Key_Right);
        QVERIFY(!grid()->EditorMode());
        F::press(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Nº de Efetivos\n2,500\n"));
        screen_->mnuCopiarLista->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Código\tServiço\tNº de Efetivos\tValor Unitário\tValor Total\n"
                                "00001\tVigilância\t2,500\t1.234,560\t3.086,400\n"
                                "00003\tPortaria\t1,000\t10,000\t10,000\n"));
        QCOMPARE(prompts().errors, QStringList());
    }

    void exportWritesCsvInTheUsersLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pt_BR: ';' and decimal comma")
            << QLocale(QLocale::Portuguese, QLocale::Brazil)
            << QStringLiteral("Código;Serviço;Nº de Efetivos;Valor Unitário;Valor Total\r\n"
                              "00001;Vigilância;2,500;1234,56;3086,40\r\n"
                              "00003;Portaria;1,000;10,00;10,00\r\n");
        QTest::newRow("en_US: ',' and decimal point")
            << QLocale(QLocale::English, QLocale::UnitedStates)
            << QStringLiteral("Código,Serviço,Nº de Efetivos,Valor Unitário,Valor Total\r\n"
                              "00001,Vigilância,2.500,1234.56,3086.40\r\n"
                              "00003,Portaria,1.000,10.00,10.00\r\n");
    }

    void exportWritesCsvInTheUsersLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        QVERIFY(showTwoLines().isValid());
        const QLocale users;
        QLocale::setDefault(locale);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lista.csv"));
        prompts().saveFileNames << path;
        screen_->mnuExportar->trigger();
        QLocale::setDefault(users);
        QVERIFY(fx_.activate());
        QCOMPARE(prompts().errors, QStringList());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(QString::fromUtf8(bytes.mid(3)), expected);
    }

    void historyShowsTheLinesChangesNewestFirst()
    {
        // The history names the clerk signed in, whatever the system calls the user running the host.
        qputenv("USER", "clerk.one");
        const QDate date = freshDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        F::typeNewLine(QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("10"));
        fx_.click(screen_->sbtConfirmar);
        QVERIFY(fx_.clickCell(0, F::Staff));
        F::type(QStringLiteral("4"));
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList());

        screen_->mnuHistLinha->trigger();
        QVERIFY(fx_.activate());
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(shownHistory(), (QStringList{QStringLiteral("Alteração|2,000 → 4,000"),
                                              QStringLiteral("Inclusão|→ 2,000")}));
        const QStringList newest = prompts().tables.last().rows.first();
        QCOMPARE(newest[2], QString::fromLatin1(TestAccount::Login));
        QCOMPARE(newest[3], QStringLiteral("127.0.0.1"));
        QCOMPARE(prompts().tables.last().headers.value(0), QStringLiteral("Quando"));
        QVERIFY(!prompts().tables.last().more);
    }

    // A long history comes a page at a time, newest first; the dialog's "Mostrar mais" adds the next
    // page until the oldest change is in. Every column is in view at the dialog's own size.
    void historyComesAPageAtATime_data()
    {
        QTest::addColumn<int>("changes");
        QTest::addColumn<QList<int>>("shownAfterEachPage");
        QTest::newRow("one page") << 40 << QList<int>{40};
        QTest::newRow("exactly one page") << 100 << QList<int>{100};
        QTest::newRow("two and a half pages") << 250 << QList<int>{100, 200, 250};
    }

    void historyComesAPageAtATime()
    {
        QFETCH(int, changes);
        QFETCH(QList<int>, shownAfterEachPage);
        const QDate date = freshDate();
        fx_.serverDb().insertLine(QStringLiteral("0001"), date, QStringLiteral("00001"), QStringLiteral("1"),
                                  QStringLiteral("1"), QStringLiteral("1"));
        storeHistory(date, changes);
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        prompts().showTables = true;
        screen_->mnuHistLinha->trigger();
        QCOMPARE(prompts().errors, QStringList());
        QVERIFY(prompts().openTable);
        QDialog& dialog = *prompts().openTable;
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Histórico da linha — serviço 00001"));
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("table"));
        auto* more = dialog.findChild<QPushButton*>(QStringLiteral("btnMais"));
        QVERIFY(table && more);
        QCOMPARE(table->horizontalScrollBar()->maximum(), 0);
        QVERIFY(table->horizontalHeader()->length() <= table->viewport()->width());
        for (qsizetype page = 0; page < shownAfterEachPage.size(); ++page) {
            if (page > 0)
                QTest::mouseClick(more, Qt::LeftButton);
            QCOMPARE(prompts().errors, QStringList());
            QCOMPARE(table->rowCount(), shownAfterEachPage[page]);
            QCOMPARE(more->isEnabled(), page + 1 < shownAfterEachPage.size());
        }
        const auto staff = [table](int row) { return table->item(row, 4)->text(); };
        QCOMPARE(staff(0), QStringLiteral("%L1,000 → %L2,000").arg(changes).arg(changes + 1));
        QCOMPARE(staff(table->rowCount() - 1), QStringLiteral("1,000 → 2,000"));
        for (int row = 1; row < table->rowCount(); ++row)
            QCOMPARE(staff(row),
                     QStringLiteral("%L1,000 → %L2,000").arg(changes - row).arg(changes - row + 1));
        prompts().openTable.reset();
        QVERIFY(fx_.activate());
    }
};

QTEST_MAIN(TstMed00418Extras)
#include "tst_med00418_extras.moc"

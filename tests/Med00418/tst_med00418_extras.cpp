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
#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QtTest>

using F = ScreenFixture;

// What the grid offers beyond typing: the history of a line, copying and exporting the list, and the
// list's totals in the host's status bar. Pasting lines has its own test.
class TstMed00418Extras : public ScreenTest {
    Q_OBJECT

    int nextDay_ = 0;

    QDate freshDate() { return QDate(2033, 2, 1).addDays(nextDay_++); }

    // "kind|staff before|staff after" per row of the history dialog last shown.
    QStringList shownHistory() const
    {
        if (prompts().tables.isEmpty())
            return {QStringLiteral("<no dialog>")};
        QStringList out;
        for (const QStringList& row : prompts().tables.last().rows)
            out << row[1] + QLatin1Char('|') + row[4] + QLatin1Char('|') + row[7];
        return out;
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
        QCOMPARE(totals(), QStringLiteral("Linhas: 2   Efetivos: 1,100   Total: 10,020"));

        F::press(Qt::Key_Insert);
        QCOMPARE(totals(), QStringLiteral("Linhas: 2   Efetivos: 1,100   Total: 10,020"));
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
        F::press(Qt::Key_Insert);
        F::type(QStringLiteral("3"));
        F::press(Qt::Key_Tab);
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("2"));
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("10"));
        F::press(Qt::Key_Tab);
        fx_.click(screen_->sbtConfirmar);
        QVERIFY(fx_.clickCell(0, F::Staff));
        F::type(QStringLiteral("4"));
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList());

        screen_->mnuHistLinha->trigger();
        QVERIFY(fx_.activate());
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(shownHistory(),
                 (QStringList{QStringLiteral("Alteração|2,000|4,000"), QStringLiteral("Inclusão||2,000")}));
        const QStringList newest = prompts().tables.last().rows.first();
        QCOMPARE(newest[2], QString::fromLatin1(TestAccount::Login));
        QCOMPARE(newest[3], QStringLiteral("127.0.0.1"));
        QCOMPARE(prompts().tables.last().headers.value(0), QStringLiteral("Quando"));
    }
};

QTEST_MAIN(TstMed00418Extras)
#include "tst_med00418_extras.moc"

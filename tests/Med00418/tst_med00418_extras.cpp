#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ScreenTest.h"
#include "ServerDatabase.h"
#include "TClientDataSet.h"
#include "TfrmMediEfeti.h"

#include <QAction>
#include <QtTest>

using F = ScreenFixture;

// What the grid offers beyond typing: the history of a line.
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

private slots:
    void historyShowsTheLinesChangesNewestFirst()
    {
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
        QCOMPARE(newest[2], QStringLiteral("clerk.one"));
        QCOMPARE(newest[3], QStringLiteral("127.0.0.1"));
        QCOMPARE(prompts().tables.last().headers.value(0), QStringLiteral("Quando"));
    }
};

QTEST_MAIN(TstMed00418Extras)
#include "tst_med00418_extras.moc"

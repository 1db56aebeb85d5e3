#include "Med00418.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ScreenTest.h"
#include "ServerDatabase.h"
#include "TDateEditPlus.h"
#include "TMaskEdit.h"
#include "TfrmMediEfeti.h"

#include <QtTest>

using F = ScreenFixture;

// The screen as a desktop treats it: a click lands where the mouse is, wherever that is in a field.
class TstMed00418Desktop : public ScreenTest {
    Q_OBJECT

    int nextDay_ = 0;

private slots:
    void dateTypedAfterAClickAnywhereInTheEmptyFieldFillsItFromTheStart_data()
    {
        QTest::addColumn<double>("across"); // where the click lands, as a share of the typing area
        QTest::newRow("start") << 0.02;
        QTest::newRow("after the first slash") << 0.3;
        QTest::newRow("middle") << 0.5;
        QTest::newRow("near the end") << 0.9;
    }

    void dateTypedAfterAClickAnywhereInTheEmptyFieldFillsItFromTheStart()
    {
        QFETCH(double, across);
        const QDate date = QDate(2031, 3, 10).addDays(nextDay_++);
        fx_.serverDb().insertLine(QStringLiteral("0001"), date, QStringLiteral("00002"), QStringLiteral("4"),
                                  QStringLiteral("10"), QStringLiteral("40"));
        fx_.click(screen_->medCdFilial);
        F::type(QStringLiteral("1"));
        TDateEditPlus* edit = screen_->depDataFatu;
        QCOMPARE(edit->Text(), QString());
        const QRect area = edit->rect().marginsRemoved(edit->textMargins());
        fx_.click(edit, QPoint(area.left() + int(area.width() * across), area.center().y()));
        QCOMPARE(F::focus(), edit);
        F::type(F::dateKeys(date));
        QCOMPARE(edit->Text(), date.toString(QStringLiteral("dd/MM/yyyy")));
        F::press(Qt::Key_Tab);
        QCOMPARE(fx_.prompts().errors, QStringList());
        QCOMPARE(fx_.shownLines(), QStringList({"00002|Limpeza e Conservação|4,000|10,000|40,000"}));
    }
};

QTEST_MAIN(TstMed00418Desktop)
#include "tst_med00418_desktop.moc"

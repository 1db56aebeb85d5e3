#include "RecordingPrompts.h"
#include "Showavi.h"

#include <QWidget>
#include <QtTest>

class TestShowavi : public QObject {
    Q_OBJECT

private slots:
    void showsAndHidesThroughThePrompts()
    {
        RecordingPrompts& prompts = installRecordingPrompts();
        QWidget main;
        Showavi::ActiveShowAvi(&main, Showavi::Connecting);
        QVERIFY(prompts.busy);
        Showavi::ActiveShowAvi(&main, Showavi::Working);
        Showavi::DeactiveShowAvi();
        QVERIFY(!prompts.busy);
        Showavi::DeactiveShowAvi(); // nothing showing: still fine
        QCOMPARE(prompts.busyKinds, (QList<int>{0, 6}));
    }
};

QTEST_MAIN(TestShowavi)
#include "tst_showavi.moc"

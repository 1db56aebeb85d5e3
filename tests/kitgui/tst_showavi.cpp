#include "Application.h"
#include "RecordingPrompts.h"
#include "Showavi.h"

#include <QWidget>
#include <QtTest>

class TestShowavi : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts = nullptr;

private slots:
    void init()
    {
        auto owned = std::make_unique<RecordingPrompts>();
        prompts = owned.get();
        Application::instance().SetPrompts(std::move(owned));
    }

    void showsOverTheGivenFormWithItsKind()
    {
        QWidget main;
        Showavi::ActiveShowAvi(&main, 0);
        QCOMPARE(prompts->busyOver, &main);
        Showavi::ActiveShowAvi(&main, 6);
        Showavi::DeactiveShowAvi();
        QCOMPARE(prompts->calls, (QStringList{"busy:0", "busy:6", "hide"}));
    }

    void hidingWithNothingShowingIsSafe()
    {
        Showavi::DeactiveShowAvi();
        Showavi::DeactiveShowAvi();
        QCOMPARE(prompts->calls, (QStringList{"hide", "hide"}));
    }
};

QTEST_MAIN(TestShowavi)
#include "tst_showavi.moc"

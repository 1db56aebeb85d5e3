#include "Application.h"
#include "EAbort.h"
#include "Exception.h"
#include "RecordingPrompts.h"
#include "TForm.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>
#include <stdexcept>

namespace {

// A form whose creation can be made to fail, counting its activations.
class ProbeForm : public TForm {
public:
    static inline bool failCreate = false;
    static inline int alive = 0;
    int activations = 0;
    TCloseAction closeAction = TCloseAction::caFree;

    explicit ProbeForm(QWidget* parent) : TForm(parent)
    {
        ++alive;
        OnCreate = [](QObject*) {
            if (failCreate)
                throw Exception(QStringLiteral("Sem servidor."));
        };
        OnActivate = [this](QObject*) { ++activations; };
        OnClose = [this](QObject*, TCloseAction& action) { action = closeAction; };
    }
    ~ProbeForm() override { --alive; }
};

} // namespace

class TstApplication : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts_ = nullptr;

private slots:
    void init()
    {
        prompts_ = &installRecordingPrompts();
        ProbeForm::failCreate = false;
        Application::instance().SetMainForm(nullptr);
    }

    void cleanup() { Application::instance().ReleaseForms(); }

    void guardKeepsSilentOnAbortAndShowsOtherErrors()
    {
        Application& app = Application::instance();
        QVERIFY(app.Guard([] {}));
        QVERIFY(!app.Guard([] { Abort(); }));
        QCOMPARE(prompts_->errors, QStringList());
        QVERIFY(!app.Guard([] { throw Exception(QStringLiteral("Filial não cadastrada.")); }));
        QVERIFY(!app.Guard([] { throw std::runtime_error("disk full"); }));
        QVERIFY(!app.Guard([] { throw 42; }));
        QCOMPARE(prompts_->errors.size(), 3);
        QCOMPARE(prompts_->errors[0], QStringLiteral("Filial não cadastrada."));
        QCOMPARE(prompts_->errors[1], QStringLiteral("disk full"));
        QVERIFY(!prompts_->errors[2].isEmpty());
    }

    void hourglassSetsAndRestoresTheOverrideCursor()
    {
        Application& app = Application::instance();
        app.SetCursor(Application::crHourGlass);
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        app.SetCursor(Application::crHourGlass);
        app.SetCursor(Application::crDefault);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void formsGoIntoTheMainFormsMdiArea()
    {
        QMainWindow main;
        auto* area = new QMdiArea(&main);
        main.setCentralWidget(area);
        Application::instance().SetMainForm(&main);
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));

        auto* form = Application::instance().CreateForm<ProbeForm>();
        auto* child = qobject_cast<QMdiSubWindow*>(form->parentWidget());
        QVERIFY(child);
        QCOMPARE(child->mdiArea(), area);
        form->Show();
        QVERIFY(form->isVisible());
        QCOMPARE(area->activeSubWindow(), child);
        QVERIFY(form->activations >= 1);

        form->SetWindowState(TWindowState::wsMinimized);
        QCOMPARE(form->WindowState(), TWindowState::wsMinimized);
        form->SetWindowState(TWindowState::wsNormal);
        QCOMPARE(form->WindowState(), TWindowState::wsNormal);

        QPointer<QMdiSubWindow> holder = child;
        form->Close();
        QTRY_VERIFY(!holder);
        QCOMPARE(ProbeForm::alive, 0);
    }

    void failedCreationDestroysTheFormAndTravelsOn()
    {
        ProbeForm::failCreate = true;
        QVERIFY_THROWS_EXCEPTION(Exception, Application::instance().CreateForm<ProbeForm>());
        QCOMPARE(ProbeForm::alive, 0);
    }

    void closeActionNoneKeepsTheFormAndUserCloseGoesThroughOnClose()
    {
        auto* form = Application::instance().CreateForm<ProbeForm>();
        form->closeAction = TCloseAction::caNone;
        form->Show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(!form->close()); // the window's own close button
        QVERIFY(form->isVisible());
        form->closeAction = TCloseAction::caHide;
        form->Close();
        QVERIFY(!form->isVisible());
        QCOMPARE(ProbeForm::alive, 1);
    }
};

QTEST_MAIN(TstApplication)
#include "tst_application.moc"

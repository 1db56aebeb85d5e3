#include "Application.h"
#include "EAbort.h"
#include "Exception.h"
#include "RecordingPrompts.h"
#include "TButtonFlat.h"
#include "TEdit.h"
#include "TForm.h"
#include "TPanel.h"

#include <QtTest>

namespace {

// A panel with two boxes, a box outside it and a button that takes no focus.
struct FilterForm {
    TForm form;
    TPanel* panel = new TPanel(&form);
    TEdit* first = new TEdit(panel);
    TEdit* second = new TEdit(panel);
    TEdit* outside = new TEdit(&form);
    TButtonFlat* button = new TButtonFlat(&form);
    QStringList log;
    bool refuseExit = false;
    // With it, a refusal shows its message and puts the focus there itself, as a screen's check does.
    QWidget* refuseTo = nullptr;
    int clicks = 0;

    FilterForm()
    {
        form.resize(300, 200);
        panel->setGeometry(0, 0, 300, 60);
        first->setGeometry(5, 5, 100, 20);
        second->setGeometry(5, 30, 100, 20);
        outside->setGeometry(5, 100, 100, 20);
        button->setGeometry(150, 100, 21, 21);
        panel->OnEnter = [this](QObject*) { log << "panel enter"; };
        panel->OnExit = [this](QObject*) {
            log << "panel exit";
            if (refuseExit && refuseTo) {
                Application::instance().Prompts().ShowError(QStringLiteral("Informe a filial."));
                refuseTo->setFocus();
                Abort();
            }
            if (refuseExit)
                throw Exception(QStringLiteral("Informe a filial."));
        };
        second->OnExit = [this](QObject*) { log << "second exit"; };
        outside->OnEnter = [this](QObject*) { log << "outside enter"; };
        button->OnClick = [this](QObject*) { ++clicks; };
    }
};

void click(QWidget* widget)
{
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, widget->mapTo(top, widget->rect().center()));
}

void pressTab(Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), modifiers ? Qt::Key_Backtab : Qt::Key_Tab, modifiers);
}

} // namespace

class TstFocusBoundary : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts_ = nullptr;
    std::unique_ptr<FilterForm> f_;

private slots:
    void init()
    {
        prompts_ = &installRecordingPrompts();
        f_ = std::make_unique<FilterForm>();
        f_->form.show();
        f_->form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f_->form));
        f_->first->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), f_->first);
        f_->log.clear();
    }

    void cleanup() { f_.reset(); }

    void tabOutRunsInnerExitsThenOuterThenTheEnter()
    {
        pressTab();
        QCOMPARE(QApplication::focusWidget(), f_->second);
        QCOMPARE(f_->log, QStringList());
        pressTab();
        QCOMPARE(QApplication::focusWidget(), f_->outside);
        QCOMPARE(f_->log, QStringList({"second exit", "panel exit", "outside enter"}));
        pressTab(Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), f_->second);
        QCOMPARE(f_->log.mid(3), QStringList({"panel enter"}));
    }

    void refusedExitByTabKeepsTheFocusInside()
    {
        f_->second->setFocus(Qt::OtherFocusReason);
        f_->refuseExit = true;
        pressTab();
        QCOMPARE(QApplication::focusWidget(), f_->second);
        QCOMPARE(prompts_->errors, QStringList({"Informe a filial."}));
        QVERIFY(!f_->log.contains("outside enter"));

        // Once the panel lets go, the same key leaves, and the panel is left only once.
        f_->refuseExit = false;
        f_->log.clear();
        pressTab();
        QCOMPARE(QApplication::focusWidget(), f_->outside);
        QCOMPARE(f_->log, QStringList({"second exit", "panel exit", "outside enter"}));
    }

    void refusingHandlerPlacesTheFocusAlsoBehindAMessageBox_data()
    {
        QTest::addColumn<bool>("likeDesktop");
        QTest::newRow("window stays active") << false;
        QTest::newRow("message box takes the activation") << true;
    }

    void refusingHandlerPlacesTheFocusAlsoBehindAMessageBox()
    {
        QFETCH(bool, likeDesktop);
        prompts_->likeDesktop = likeDesktop;
        f_->second->setFocus(Qt::OtherFocusReason);
        f_->refuseExit = true;
        f_->refuseTo = f_->first;
        pressTab();
        QCOMPARE(prompts_->errors, QStringList({"Informe a filial."}));
        QCOMPARE(prompts_->deactivations, likeDesktop ? 1 : 0);
        QVERIFY(QTest::qWaitForWindowActive(&f_->form));
        QCOMPARE(QApplication::focusWidget(), f_->first);
        QVERIFY(!f_->log.contains("outside enter"));
    }

    void refusedExitByClickDropsTheClick()
    {
        f_->refuseExit = true;
        click(f_->outside);
        QCOMPARE(QApplication::focusWidget(), f_->first);
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY(!f_->log.contains("outside enter"));

        f_->refuseExit = false;
        click(f_->outside);
        QCOMPARE(QApplication::focusWidget(), f_->outside);
        QCOMPARE(f_->log.count("panel exit"), 2);
        QCOMPARE(f_->log.count("outside enter"), 1);
    }

    void clickOnAButtonWithoutFocusLeavesNothing()
    {
        f_->refuseExit = true;
        click(f_->button);
        QCOMPARE(f_->clicks, 1);
        QCOMPARE(QApplication::focusWidget(), f_->first);
        QCOMPARE(f_->log, QStringList());
        QCOMPARE(prompts_->errors, QStringList());
    }

    void anotherWindowTakingTheFocusIsNoExit()
    {
        QWidget other;
        auto* box = new TEdit(&other);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        box->setFocus();
        f_->form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f_->form));
        QCOMPARE(QApplication::focusWidget(), f_->first);
        QCOMPARE(f_->log, QStringList());
    }
};

QTEST_MAIN(TstFocusBoundary)
#include "tst_focusboundary.moc"

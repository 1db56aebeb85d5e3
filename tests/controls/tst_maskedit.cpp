#include "EditMask.h"
#include "TForm.h"
#include "TMaskEdit.h"

#include <QtTest>

class TstMaskEdit : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm> form_;
    TMaskEdit* branch_ = nullptr;
    TEdit* before_ = nullptr;
    TMaskEdit* date_ = nullptr;

    void typeInFocus(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }

private slots:
    void init()
    {
        form_ = std::make_unique<TForm>();
        before_ = new TEdit(form_.get());
        before_->setGeometry(0, 0, 60, 20);
        branch_ = new TMaskEdit(form_.get());
        branch_->setGeometry(0, 30, 60, 20);
        branch_->SetEditMask(QStringLiteral("9999;0; "));
        date_ = new TMaskEdit(form_.get());
        date_->setGeometry(0, 60, 120, 20);
        date_->SetEditMask(QStringLiteral("99/99/9999;1; "));
        form_->show();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        before_->setFocus();
    }

    void cleanup() { form_.reset(); }

    void masks_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("qtMask");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("text");
        QTest::newRow("optional digits") << "9999;0; "
                                         << "0000; "
                                         << "12  "
                                         << "12";
        QTest::newRow("literals dropped") << "00/00;0;_"
                                          << "99/99;_"
                                          << "12/3_"
                                          << "123";
        QTest::newRow("literals kept") << "00/00;1;_"
                                       << "99/99;_"
                                       << "12/3_"
                                       << "12/3";
        QTest::newRow("escaped literal") << "\\A00;0;_"
                                         << "\\A99;_"
                                         << "A12"
                                         << "12";
    }

    void masks()
    {
        QFETCH(QString, mask);
        const EditMask parsed(mask);
        QTEST(parsed.QtMask(), "qtMask");
        QFETCH(QString, shown);
        QTEST(parsed.TextOf(shown), "text");
    }

    void refusesLettersAndAFifthDigit()
    {
        branch_->setFocus(Qt::MouseFocusReason);
        typeInFocus(QStringLiteral("1a2b34"));
        QCOMPARE(branch_->Text(), QStringLiteral("1234"));
        typeInFocus(QStringLiteral("5"));
        QCOMPARE(branch_->Text(), QStringLiteral("1234"));
    }

    void textHasNoBlanks()
    {
        branch_->setFocus(Qt::MouseFocusReason);
        typeInFocus(QStringLiteral("12"));
        QCOMPARE(branch_->Text(), QStringLiteral("12"));
    }

    void tabbingInSelectsEverythingSoTypingReplaces()
    {
        branch_->SetText(QStringLiteral("1234"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), branch_);
        QCOMPARE(branch_->selectedText().trimmed(), QStringLiteral("1234"));
        typeInFocus(QStringLiteral("56"));
        QCOMPARE(branch_->Text(), QStringLiteral("56"));
    }

    void clickPastWhatWasTypedTypesRightAfterIt_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<double>("across"); // where the click lands, as a share of the width
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty, click at the start") << "" << 0.02 << "10032031"
                                                   << "10/03/2031";
        QTest::newRow("empty, click in the middle") << "" << 0.5 << "10032031"
                                                    << "10/03/2031";
        QTest::newRow("empty, click at the end") << "" << 0.98 << "10032031"
                                                 << "10/03/2031";
        QTest::newRow("day and a digit typed, click at the end") << "100" << 0.98 << "32031"
                                                                 << "10/03/2031";
    }

    void clickPastWhatWasTypedTypesRightAfterIt()
    {
        QFETCH(QString, before);
        QFETCH(double, across);
        date_->setFocus(Qt::MouseFocusReason);
        typeInFocus(before);
        before_->setFocus();
        const QPoint at(int(date_->width() * across), date_->height() / 2);
        QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          date_->mapTo(form_.get(), at));
        QCOMPARE(QApplication::focusWidget(), date_);
        QFETCH(QString, typed);
        typeInFocus(typed);
        QTEST(date_->Text(), "text");
    }

    void changeAndExitEventsRun()
    {
        int changes = 0;
        int exits = 0;
        branch_->OnChange = [&](QObject*) { ++changes; };
        branch_->OnExit = [&](QObject*) { ++exits; };
        branch_->setFocus(Qt::MouseFocusReason);
        typeInFocus(QStringLiteral("7"));
        QVERIFY(changes >= 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), before_);
        QCOMPARE(exits, 1);
    }
};

QTEST_MAIN(TstMaskEdit)
#include "tst_maskedit.moc"

#include "EAbort.h"
#include "RecordingPrompts.h"
#include "TEdit.h"
#include "TForm.h"
#include "TPanel.h"
#include "VirtualKeys.h"

#include <QtTest>

class TstKeyPreview : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm> form_;
    TEdit* edit_ = nullptr;
    QList<int> keys_;
    QList<Qt::KeyboardModifiers> shifts_;
    std::function<void(int&)> reaction_;

private slots:
    void init()
    {
        installRecordingPrompts();
        form_ = std::make_unique<TForm>();
        auto* panel = new TPanel(form_.get());
        panel->setGeometry(0, 0, 200, 50);
        edit_ = new TEdit(panel);
        edit_->setGeometry(5, 5, 100, 20);
        keys_.clear();
        shifts_.clear();
        reaction_ = nullptr;
        form_->SetKeyPreview(true);
        form_->OnKeyDown = [this](QObject*, int& key, Qt::KeyboardModifiers shift) {
            keys_ << key;
            shifts_ << shift;
            if (reaction_)
                reaction_(key);
        };
        form_->show();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        edit_->setFocus();
    }

    void cleanup() { form_.reset(); }

    void virtualKeys_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<int>("code");
        QTest::newRow("tab") << int(Qt::Key_Tab) << false << 9;
        QTest::newRow("backtab") << int(Qt::Key_Backtab) << false << 9;
        QTest::newRow("return") << int(Qt::Key_Return) << false << 13;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << true << 13;
        QTest::newRow("escape") << int(Qt::Key_Escape) << false << 27;
        QTest::newRow("page up") << int(Qt::Key_PageUp) << false << 33;
        QTest::newRow("home") << int(Qt::Key_Home) << false << 36;
        QTest::newRow("down") << int(Qt::Key_Down) << false << 40;
        QTest::newRow("insert") << int(Qt::Key_Insert) << false << 45;
        QTest::newRow("delete") << int(Qt::Key_Delete) << false << 46;
        QTest::newRow("digit") << int(Qt::Key_7) << false << 55;
        QTest::newRow("keypad digit") << int(Qt::Key_7) << true << 103;
        QTest::newRow("keypad decimal") << int(Qt::Key_Comma) << true << 110;
        QTest::newRow("letter") << int(Qt::Key_Q) << false << 81;
        QTest::newRow("F1") << int(Qt::Key_F1) << false << 112;
        QTest::newRow("F12") << int(Qt::Key_F12) << false << 123;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << false << 8;
    }

    void virtualKeys()
    {
        QFETCH(int, qtKey);
        QFETCH(bool, keypad);
        QTEST(VirtualKeys::fromQtKey(qtKey, keypad), "code");
    }

    void formSeesKeysBeforeTheControl()
    {
        int seenByEdit = -1;
        reaction_ = [&](int&) { seenByEdit = int(edit_->text().size()); };
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
        QCOMPARE(keys_, QList<int>({65}));
        QCOMPARE(seenByEdit, 0);
        QCOMPARE(edit_->text(), QStringLiteral("a"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12, Qt::ShiftModifier);
        QCOMPARE(keys_.last(), 123);
        QCOMPARE(shifts_.last(), Qt::KeyboardModifiers(Qt::ShiftModifier));
    }

    void zeroedOrAbortedKeyIsDropped()
    {
        reaction_ = [](int& key) {
            if (key == 'B')
                key = 0;
            if (key == 'C')
                Abort();
        };
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("abcd"));
        QCOMPARE(edit_->text(), QStringLiteral("ad"));
    }

    void withoutKeyPreviewTheFormSeesNothing()
    {
        form_->SetKeyPreview(false);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
        QCOMPARE(keys_, QList<int>());
    }
};

QTEST_MAIN(TstKeyPreview)
#include "tst_keypreview.moc"

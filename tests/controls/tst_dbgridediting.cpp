#include "EAbort.h"
#include "Exception.h"
#include "RecordingPrompts.h"
#include "TButtonFlat.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TEdit.h"
#include "TForm.h"
#include "TestLines.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QToolButton>
#include <QtTest>

namespace {

enum Column { Code, Name, Qty, Price };

QWidget* focus()
{
    return QApplication::focusWidget();
}

void type(const QString& text)
{
    for (QChar c : text)
        QTest::keyClick(focus(), c.toLatin1());
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(focus(), key, modifiers);
}

} // namespace

class TstDBGridEditing : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts_ = nullptr;
    std::unique_ptr<TForm> form_;
    TEdit* outside_ = nullptr;
    TButtonFlat* postButton_ = nullptr;
    TDBGrid* grid_ = nullptr;
    std::unique_ptr<TestLines> lines_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
    QStringList colExits_;
    std::function<void()> colExitCheck_;

    QLineEdit* editor() const { return grid_->InplaceEditor(); }
    QString editorText() const { return grid_->EditorMode() ? editor()->text() : QStringLiteral("<closed>"); }

    void clickAt(QWidget* widget, QPoint point)
    {
        QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, {}, widget->mapTo(form_.get(), point));
    }

    void clickCell(int row, int column)
    {
        clickAt(grid_->viewport(), grid_->visualRect(grid_->model()->index(row, column)).center());
    }

    void focusGridAt(int column)
    {
        grid_->SetSelectedIndex(column);
        grid_->setFocus(Qt::OtherFocusReason);
        QVERIFY(focus() == grid_ || focus() == editor());
    }

private slots:
    void init()
    {
        prompts_ = &installRecordingPrompts();
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        form_ = std::make_unique<TForm>();
        form_->resize(600, 300);
        outside_ = new TEdit(form_.get());
        outside_->setGeometry(0, 0, 100, 22);
        postButton_ = new TButtonFlat(form_.get());
        postButton_->setGeometry(200, 0, 21, 21);
        grid_ = new TDBGrid(form_.get());
        grid_->setGeometry(0, 30, 600, 260);
        lines_ = std::make_unique<TestLines>(form_.get());
        tester_ = std::make_unique<QAbstractItemModelTester>(
            grid_->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid_->SetDataSource(lines_->source);
        lines_->loadThree();
        colExits_.clear();
        colExitCheck_ = nullptr;
        grid_->OnColExit = [this](QObject*) {
            colExits_ << grid_->SelectedField()->FieldName() + QLatin1Char('=') +
                             grid_->SelectedField()->AsString();
            if (colExitCheck_)
                colExitCheck_();
        };
        postButton_->OnClick = [this](QObject*) { lines_->cds->Post(); };
        form_->show();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }

    void cleanup()
    {
        tester_.reset();
        form_.reset();
    }

    void typingEditsTheLineAndTheCellIsWrittenBeforeColumnExit()
    {
        focusGridAt(Qty);
        type(QStringLiteral("7,5"));
        QCOMPARE(lines_->cds->State(), TDataSetState::dsEdit);
        QCOMPARE(editorText(), QStringLiteral("7,5"));
        press(Qt::Key_Tab);
        QCOMPARE(colExits_, QStringList({"QTY=7,500"}));
        QCOMPARE(grid_->SelectedIndex(), int(Price));
        press(Qt::Key_Down);
        QCOMPARE(lines_->cds->State(), TDataSetState::dsBrowse);
        QCOMPARE(lines_->cds->RecNo(), 2);
        QCOMPARE(lines_->cds->valueAt(0, Qty).value<Currency>(), Currency::fromDouble(7.5));
    }

    void refusedColumnExitKeepsTheEditorAndWhatWasTyped()
    {
        colExitCheck_ = [this] {
            if (lines_->code->AsString() == QLatin1String("X"))
                throw Exception(QStringLiteral("Código inválido."));
        };
        focusGridAt(Code);
        type(QStringLiteral("X"));
        press(Qt::Key_Tab);
        QCOMPARE(prompts_->errors, QStringList({"Código inválido."}));
        QCOMPARE(grid_->SelectedIndex(), int(Code));
        QCOMPARE(editorText(), QStringLiteral("X"));
        QCOMPARE(focus(), editor());
        press(Qt::Key_Return);
        clickCell(1, Price);
        QCOMPARE(prompts_->errors.size(), 3);
        QCOMPARE(grid_->SelectedIndex(), int(Code));
        QCOMPARE(lines_->cds->RecNo(), 1);
        QCOMPARE(editorText(), QStringLiteral("X"));

        press(Qt::Key_Backspace);
        type(QStringLiteral("9"));
        press(Qt::Key_Tab);
        QCOMPARE(grid_->SelectedIndex(), int(Name));
        QCOMPARE(lines_->code->AsString(), QStringLiteral("9"));
    }

    // The check puts the focus on the field, then shows its message, as the screen's checks do.
    void refusedValueIsSelectedForTypingOver_data()
    {
        QTest::addColumn<bool>("likeDesktop");
        QTest::newRow("message answered at once") << false;
        QTest::newRow("message as a desktop's dialog") << true;
    }

    void refusedValueIsSelectedForTypingOver()
    {
        QFETCH(bool, likeDesktop);
        prompts_->likeDesktop = likeDesktop;
        colExitCheck_ = [this] {
            if (lines_->qty->AsFloat() > 0)
                return;
            lines_->qty->FocusControl();
            throw Exception(QStringLiteral("Nº de efetivos deve ser informado"));
        };
        focusGridAt(Qty);
        type(QStringLiteral("0"));
        press(Qt::Key_Tab);
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        QCOMPARE(grid_->SelectedIndex(), int(Qty));
        QCOMPARE(focus(), editor());
        type(QStringLiteral("12"));
        QCOMPARE(editorText(), QStringLiteral("12"));
        press(Qt::Key_Tab);
        QCOMPARE(prompts_->errors.size(), 1);
        QCOMPARE(lines_->qty->AsCurrency(), Currency::fromDouble(12));
    }

    void arrowsLeaveTheEditorAtTheEdgeOfItsText_data()
    {
        QTest::addColumn<QString>("keys"); // in the quantity's editor, opened with F2 (its text selected)
        QTest::addColumn<bool>("refused"); // the column's check refuses to let it go
        QTest::addColumn<int>("column");
        QTest::newRow("whole text selected, Right") << "Right" << false << int(Price);
        QTest::newRow("whole text selected, Left") << "Left" << false << int(Name);
        QTest::newRow("caret at the end, Right") << "End, Right" << false << int(Price);
        QTest::newRow("caret at the start, Left") << "Home, Left" << false << int(Name);
        QTest::newRow("caret at the start, Right") << "Home, Right" << false << int(Qty);
        QTest::newRow("caret inside, Left") << "End, Left, Left" << false << int(Qty);
        QTest::newRow("part selected at the end, Right") << "End, Shift+Left, Right" << false << int(Qty);
        QTest::newRow("part selected at the end, Shift+Right") << "End, Shift+Right" << false << int(Qty);
        QTest::newRow("caret at the end, the check refuses") << "End, Right" << true << int(Qty);
    }

    void arrowsLeaveTheEditorAtTheEdgeOfItsText()
    {
        QFETCH(QString, keys);
        QFETCH(bool, refused);
        QFETCH(int, column);
        if (refused)
            colExitCheck_ = [] { throw Exception(QStringLiteral("Nº de efetivos deve ser informado")); };
        focusGridAt(Qty);
        press(Qt::Key_F2);
        QVERIFY(grid_->EditorMode());
        const QKeySequence sequence(keys);
        for (int i = 0; i < sequence.count(); ++i)
            press(sequence[i].key(), sequence[i].keyboardModifiers());
        QCOMPARE(grid_->SelectedIndex(), column);
        QCOMPARE(colExits_.size(), column == Qty && !refused ? 0 : 1);
        QCOMPARE(prompts_->errors.size(), refused ? 1 : 0);
        QVERIFY(grid_->EditorMode());
        QCOMPARE(focus(), editor());
    }

    void textTheFieldRefusesKeepsTheEditorWithoutColumnExit()
    {
        focusGridAt(Qty);
        type(QStringLiteral("1,2,3"));
        press(Qt::Key_Tab);
        QCOMPARE(prompts_->errors.size(), 1);
        QCOMPARE(colExits_, QStringList());
        QCOMPARE(grid_->SelectedIndex(), int(Qty));
        QCOMPARE(editorText(), QStringLiteral("1,2,3"));
    }

    void refusedPostKeepsTheLine()
    {
        lines_->cds->BeforePost = [this](TDataSet*) {
            if (lines_->qty->AsFloat() <= 0)
                throw Exception(QStringLiteral("Nº de efetivos deve ser informado"));
        };
        focusGridAt(Qty);
        type(QStringLiteral("0"));
        press(Qt::Key_Down);
        QCOMPARE(prompts_->errors, QStringList({"Nº de efetivos deve ser informado"}));
        QCOMPARE(lines_->cds->RecNo(), 1);
        QCOMPARE(lines_->cds->State(), TDataSetState::dsEdit);
        QCOMPARE(grid_->currentIndex().row(), 0);
        press(Qt::Key_Escape);
        QCOMPARE(lines_->cds->State(), TDataSetState::dsBrowse);
        QCOMPARE(lines_->qty->AsCurrency(), Currency::fromDouble(1234.5));
    }

    void insertEscapeAndConfirmedDelete()
    {
        focusGridAt(Code);
        press(Qt::Key_Down);
        press(Qt::Key_Insert);
        QCOMPARE(lines_->cds->State(), TDataSetState::dsInsert);
        QCOMPARE(grid_->model()->rowCount(), 4);
        QCOMPARE(grid_->currentIndex().row(), 1);
        press(Qt::Key_Escape);
        QCOMPARE(lines_->cds->State(), TDataSetState::dsBrowse);
        QCOMPARE(grid_->model()->rowCount(), 3);

        prompts_->answers = {false};
        press(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(prompts_->questions, QStringList({"Excluir o registro?"}));
        QCOMPARE(grid_->model()->rowCount(), 3);
        prompts_->answers = {true};
        press(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(grid_->model()->rowCount(), 2);
        QCOMPARE(lines_->codeAt(0), QStringLiteral("00001"));
        QCOMPARE(lines_->codeAt(1), QStringLiteral("00003"));
    }

    void leavingAnUntouchedNewLineByDownOrUpDropsIt()
    {
        focusGridAt(Code);
        press(Qt::Key_Down);
        press(Qt::Key_Insert);
        press(Qt::Key_Down);
        QCOMPARE(grid_->model()->rowCount(), 3);
        QCOMPARE(lines_->code->AsString(), QStringLiteral("00002")); // the line that was below the new one
    }

    void untouchedNewLineIsCancelledWhenTheFocusLeaves()
    {
        focusGridAt(Code);
        press(Qt::Key_Insert);
        clickAt(outside_, outside_->rect().center());
        QCOMPARE(focus(), outside_);
        QCOMPARE(lines_->cds->State(), TDataSetState::dsBrowse);
        QCOMPARE(grid_->model()->rowCount(), 3);

        // A new line with something typed in it stays, the typed text written to its field.
        focusGridAt(Code);
        press(Qt::Key_Insert);
        type(QStringLiteral("77"));
        clickAt(outside_, outside_->rect().center());
        QCOMPARE(lines_->cds->State(), TDataSetState::dsInsert);
        QCOMPARE(lines_->code->AsString(), QStringLiteral("77"));
    }

    void keyHandlersRunFirstAndCanDropKeys()
    {
        QStringList log;
        grid_->OnKeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) {
            log << QStringLiteral("down %1").arg(key);
            if (grid_->SelectedField() == lines_->code && key == 'A')
                Abort();
        };
        grid_->OnKeyPress = [&](QObject*, QChar& c) {
            log << QStringLiteral("press %1").arg(c);
            log << QStringLiteral("state %1").arg(int(lines_->cds->State()));
            if (c == u'9')
                c = QChar();
        };
        focusGridAt(Code);
        press(Qt::Key_A);
        QCOMPARE(lines_->cds->State(), TDataSetState::dsBrowse);
        QVERIFY(!grid_->EditorMode());
        QCOMPARE(log, QStringList({"down 65"}));

        log.clear();
        grid_->SetSelectedIndex(Name);
        type(QStringLiteral("b9c"));
        QCOMPARE(log.mid(0, 3), QStringList({"down 66", "press b", "state 1"}));
        QCOMPARE(editorText(), QStringLiteral("bc"));
    }

    void focusControlSelectsTheColumnAndOpensTheEditor()
    {
        outside_->setFocus();
        lines_->price->FocusControl();
        QCOMPARE(grid_->SelectedField(), lines_->price);
        QCOMPARE(focus(), editor());
        QCOMPARE(editorText(), QStringLiteral("10,00"));
    }

    void keypadDecimalKeyTypesTheLocaleSeparator()
    {
        focusGridAt(Qty);
        type(QStringLiteral("1"));
        press(Qt::Key_Period, Qt::KeypadModifier);
        type(QStringLiteral("25"));
        QCOMPARE(editorText(), QStringLiteral("1,25"));
        press(Qt::Key_Tab);
        QCOMPARE(lines_->qty->AsCurrency(), Currency::fromDouble(1.25));
    }

    void lettersAreRefusedInNumberCells()
    {
        focusGridAt(Qty);
        type(QStringLiteral("x"));
        QVERIFY(!grid_->EditorMode());
        QCOMPARE(lines_->cds->State(), TDataSetState::dsBrowse);
    }

    void clickingACommandButtonWritesTheCellFirst()
    {
        focusGridAt(Qty);
        type(QStringLiteral("9"));
        clickAt(postButton_, postButton_->rect().center());
        QCOMPARE(lines_->cds->State(), TDataSetState::dsBrowse);
        QCOMPARE(lines_->qty->AsCurrency(), Currency::fromDouble(9));
    }

    void tabPastTheLastCellAppendsALine()
    {
        lines_->cds->Last();
        focusGridAt(Price);
        press(Qt::Key_Tab);
        QCOMPARE(colExits_, QStringList({"PRICE=30,00"}));
        QCOMPARE(lines_->cds->State(), TDataSetState::dsInsert);
        QCOMPARE(grid_->model()->rowCount(), 4);
        QCOMPARE(grid_->currentIndex().row(), 3);
        QCOMPARE(grid_->SelectedIndex(), int(Code));
    }

    void ellipsisButtonRaisesEditButtonClick()
    {
        int clicks = 0;
        grid_->OnEditButtonClick = [&](QObject*) { ++clicks; };
        grid_->Columns().Items(Code)->SetButtonStyle(TColumnButtonStyle::cbsEllipsis);
        focusGridAt(Code);
        QVERIFY(grid_->EditorMode());
        auto* button = editor()->findChild<QToolButton*>();
        QVERIFY(button && button->isVisible());
        clickAt(button, button->rect().center());
        QCOMPARE(clicks, 1);
        press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(clicks, 2);
        QCOMPARE(focus(), editor());
    }

    void cellRefusedByOnCanEditModifyTakesNothingIn_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("refused");
        for (const char* way : {"typing", "Shift+Insert", "Backspace", "input method", "drop"}) {
            QTest::newRow(QByteArray(way) + ", refused") << QString::fromLatin1(way) << true;
            QTest::newRow(QByteArray(way) + ", allowed") << QString::fromLatin1(way) << false;
        }
    }

    void cellRefusedByOnCanEditModifyTakesNothingIn()
    {
        QFETCH(QString, way);
        QFETCH(bool, refused);
        grid_->OnCanEditModify = [&](QObject*, TField* field, bool& can) {
            if (refused && field == lines_->name)
                can = false;
        };
        QGuiApplication::clipboard()->setText(QStringLiteral("Colado"));
        focusGridAt(Name);
        press(Qt::Key_F2);
        QVERIFY(grid_->EditorMode());
        QCOMPARE(editor()->isReadOnly(), refused);
        if (way == QLatin1String("typing")) {
            type(QStringLiteral("x"));
        } else if (way == QLatin1String("Shift+Insert")) {
            press(Qt::Key_Insert, Qt::ShiftModifier);
        } else if (way == QLatin1String("Backspace")) {
            press(Qt::Key_Backspace);
        } else if (way == QLatin1String("input method")) {
            QInputMethodEvent commit;
            commit.setCommitString(QStringLiteral("Composto"));
            QApplication::sendEvent(focus(), &commit);
        } else {
            QMimeData data;
            data.setText(QStringLiteral("Solto"));
            const QPoint at = editor()->rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(editor(), &enter);
            if (enter.isAccepted()) {
                QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
                QApplication::sendEvent(editor(), &drop);
            }
        }
        press(Qt::Key_Down); // posts whatever the cell took
        QCOMPARE(lines_->cds->State(), TDataSetState::dsBrowse);
        QCOMPARE(lines_->cds->valueAt(0, lines_->name->Index()).toString() == QLatin1String("Limpeza"),
                 refused);
        QCOMPARE(prompts_->errors, QStringList());
    }
};

QTEST_MAIN(TstDBGridEditing)
#include "tst_dbgridediting.moc"

#include "Med00418.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ScreenTest.h"
#include "ServerDatabase.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TEdit.h"
#include "TMaskEdit.h"
#include "TStringField.h"
#include "TfrmMediEfeti.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using F = ScreenFixture;

namespace {

const QString Duplicate = QStringLiteral("Efetivos para faturamento já cadastrado.");
const QString UnknownService = QStringLiteral("Serviço não cadastrado.");
const QString StaffMissing = QStringLiteral("Nº de efetivos deve ser informado");
const QString TotalMissing = QStringLiteral("Valor total deve ser informado.");
const QString PriceMissing = QStringLiteral("Preço unitáro deve ser informado.");
const QString UnknownBranch = QStringLiteral("Filial não cadastrada.");

} // namespace

class TstMed00418Editing : public ScreenTest {
    Q_OBJECT

    int nextDay_ = 0;

    // A billing date no other test uses, so each test has the server's lines to itself.
    QDate freshDate() { return QDate(2031, 1, 1).addDays(nextDay_++); }

    TDataSetState state() const { return screen_->cdsEfetGest->State(); }
    bool focusInGrid() const { return F::focus() == grid() || grid()->isAncestorOf(F::focus()); }
    QString editorText() const
    {
        return grid()->EditorMode() ? grid()->InplaceEditor()->text() : QStringLiteral("<closed>");
    }

private slots:
    void newLineEndToEnd_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Insert key") << true;
        QTest::newRow("insert command") << false;
    }

    void newLineEndToEnd()
    {
        QFETCH(bool, byKey);
        const QDate date = freshDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        QCOMPARE(screen_->medCdFilial->Text(), QStringLiteral("0001"));
        QCOMPARE(screen_->edtNmFilial->text(), QStringLiteral("Matriz São Paulo"));
        QCOMPARE(fx_.rowCount(), 0);

        if (byKey)
            F::press(Qt::Key_Insert);
        else
            fx_.click(screen_->sbtIncluir);
        QCOMPARE(state(), TDataSetState::dsInsert);
        QVERIFY(focusInGrid());
        QCOMPARE(grid()->SelectedIndex(), int(F::Code));
        F::type(QStringLiteral("3"));
        F::press(Qt::Key_Tab);
        QCOMPARE(fx_.cell(0, F::Code), QStringLiteral("00003"));
        QCOMPARE(fx_.cell(0, F::Name), QStringLiteral("Portaria"));
        QCOMPARE(grid()->SelectedIndex(), int(F::Name));
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("2,5"));
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("1234,56"));
        F::press(Qt::Key_Tab);
        QCOMPARE(fx_.cell(0, F::Total), QStringLiteral("3.086,400"));
        QCOMPARE(grid()->SelectedIndex(), int(F::Total));
        QVERIFY(prompts().errors.isEmpty());
        QVERIFY(fx_.serverDb().lines(QStringLiteral("0001"), date).isEmpty());

        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(state(), TDataSetState::dsBrowse);
        QCOMPARE(screen_->cdsEfetGest->ChangeCount(), 0);
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date),
                 QStringList({"00003|2.5000|1234.5600|3086.4000"}));
        QCOMPARE(fx_.shownLines(), QStringList({"00003|Portaria|2,500|1.234,560|3.086,400"}));
        // What the server holds is what the screen shows.
        fx_.click(screen_->sbtVerificar);
        QCOMPARE(fx_.shownLines(), QStringList({"00003|Portaria|2,500|1.234,560|3.086,400"}));
    }

    // Staff has three decimals and price two: their product has five. The total is the product kept at
    // four decimals, half to even, then at the total's two, half to even again; a half in the fifth
    // decimal can carry into the second.
    void totalIsRoundedAtTheFourthDecimal_data()
    {
        QTest::addColumn<QString>("staff");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("stored"); // staff|price|total as the server holds them
        // 0.13495 -> 0.1350 -> 0.14; rounded once, to two decimals, it would be 0.13.
        QTest::newRow("fifth-decimal half carries") << "2,699"
                                                    << "0,05"
                                                    << "2.6990|0.0500|0.1400";
        // 0.12495 -> 0.1250 -> 0.12, the even neighbour, not 0.13.
        QTest::newRow("carried half goes to even") << "2,499"
                                                   << "0,05"
                                                   << "2.4990|0.0500|0.1200";
        // 0.12485 -> 0.1248 -> 0.12.
        QTest::newRow("fifth-decimal half to even") << "2,497"
                                                    << "0,05"
                                                    << "2.4970|0.0500|0.1200";
        QTest::newRow("exact at two") << "2,5"
                                      << "1234,56"
                                      << "2.5000|1234.5600|3086.4000";
    }

    void totalIsRoundedAtTheFourthDecimal()
    {
        QFETCH(QString, staff);
        QFETCH(QString, price);
        QFETCH(QString, stored);
        const QDate date = freshDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        F::typeNewLine(QStringLiteral("3"), staff, price);
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date),
                 QStringList{QStringLiteral("00003|") + stored});
    }

    void serviceAlreadyRegisteredIsRefusedOnTheCodeColumn()
    {
        const QDate date = freshDate();
        fx_.serverDb().insertLine(QStringLiteral("0001"), date, QStringLiteral("00002"), QStringLiteral("1"),
                                  QStringLiteral("100"), QStringLiteral("100"));
        QVERIFY(fx_.showLines(QStringLiteral("0001"), date));
        QCOMPARE(fx_.rowCount(), 1);
        F::press(Qt::Key_Insert);
        F::type(QStringLiteral("2"));
        F::press(Qt::Key_Tab);
        QCOMPARE(prompts().errors, QStringList{Duplicate});
        QCOMPARE(grid()->SelectedIndex(), int(F::Code));
        QVERIFY(focusInGrid());
        QCOMPARE(state(), TDataSetState::dsInsert);
        QCOMPARE(screen_->cdsEfetGestUSR_CDSERVFILI->AsString(), QStringLiteral("00002"));
        QCOMPARE(screen_->cdsEfetGestNMSERVICO->AsString(), QString());
        QCOMPARE(editorText(), QStringLiteral("00002"));

        // Typed over, the next code passes and the line goes on.
        F::retype(QStringLiteral("4"));
        F::press(Qt::Key_Tab);
        QCOMPARE(prompts().errors.size(), 1);
        QCOMPARE(grid()->SelectedIndex(), int(F::Name));
        QCOMPARE(screen_->cdsEfetGestNMSERVICO->AsString(), QStringLiteral("Recepção"));

        // The same refusal when the line is posted without leaving the column.
        F::press(Qt::Key_Escape);
        QCOMPARE(fx_.rowCount(), 1);
        F::press(Qt::Key_Left);
        QCOMPARE(grid()->SelectedIndex(), int(F::Code));
        F::press(Qt::Key_Insert);
        F::type(QStringLiteral("00002"));
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList({Duplicate, Duplicate}));
        QCOMPARE(state(), TDataSetState::dsInsert);
        QCOMPARE(grid()->SelectedIndex(), int(F::Code));
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date).size(), 1);
    }

    void unknownServiceIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code");
        QTest::newRow("another branch's service") << "6"
                                                  << "00006";
        QTest::newRow("no such service") << "99"
                                         << "00099";
    }

    void unknownServiceIsRefused()
    {
        QFETCH(QString, typed);
        QFETCH(QString, code);
        QVERIFY(fx_.showLines(QStringLiteral("1"), freshDate()));
        F::press(Qt::Key_Insert);
        F::type(typed);
        F::press(Qt::Key_Tab);
        QCOMPARE(prompts().errors, QStringList{UnknownService});
        QCOMPARE(grid()->SelectedIndex(), int(F::Code));
        QVERIFY(focusInGrid());
        QCOMPARE(screen_->cdsEfetGestUSR_CDSERVFILI->AsString(), code);
        QCOMPARE(screen_->cdsEfetGestNMSERVICO->AsString(), QString());
    }

    void emptyCodeIsRefusedOnlyWhenPosting()
    {
        QVERIFY(fx_.showLines(QStringLiteral("1"), freshDate()));
        F::press(Qt::Key_Insert);
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("Qualquer"));
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("1"));
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("10"));
        F::press(Qt::Key_Tab);
        QVERIFY(prompts().errors.isEmpty());
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList{QStringLiteral("Serviço deve ser informado.")});
        QCOMPARE(grid()->SelectedIndex(), int(F::Code));
        QCOMPARE(state(), TDataSetState::dsInsert);
    }

    void staffAndPriceZeroReportOnlyTheStaffMessage_data()
    {
        QTest::addColumn<bool>("leavingTheColumn");
        QTest::newRow("posting") << false;
        QTest::newRow("leaving the column") << true;
    }

    void staffAndPriceZeroReportOnlyTheStaffMessage()
    {
        QFETCH(bool, leavingTheColumn);
        QVERIFY(fx_.showLines(QStringLiteral("1"), freshDate()));
        F::press(Qt::Key_Insert);
        F::type(QStringLiteral("1"));
        F::press(Qt::Key_Tab);
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("0"));
        if (leavingTheColumn)
            F::press(Qt::Key_Tab);
        else
            fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList{StaffMissing});
        QCOMPARE(grid()->SelectedIndex(), int(F::Staff));
        QVERIFY(focusInGrid());
        QCOMPARE(state(), TDataSetState::dsInsert);
    }

    // After a refusal the clerk types the value again: it replaces the refused one.
    void refusedValueIsTypedOver_data()
    {
        QTest::addColumn<int>("column"); // of the grid; -1 for the branch code
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("retyped");
        QTest::addColumn<QString>("shown"); // afterwards
        QTest::newRow("staff 0, Tab") << int(F::Staff) << "0" << StaffMissing << "12"
                                      << "12,000";
        QTest::newRow("price -5, Tab") << int(F::Price) << "-5" << PriceMissing << "40"
                                       << "40,000";
        QTest::newRow("branch 9999, click on the grid") << -1 << "9999" << UnknownBranch << "0001"
                                                        << "0001";
    }

    void refusedValueIsTypedOver()
    {
        QFETCH(int, column);
        QFETCH(QString, refused);
        QFETCH(QString, message);
        QFETCH(QString, retyped);
        QFETCH(QString, shown);
        if (column < 0) {
            fx_.click(screen_->medCdFilial);
            F::type(refused);
            fx_.click(grid()->viewport());
            QCOMPARE(prompts().errors, QStringList{message});
            QCOMPARE(F::focus(), screen_->medCdFilial);
            F::type(retyped);
            QCOMPARE(screen_->medCdFilial->Text(), shown);
            return;
        }
        QVERIFY(fx_.showLines(QStringLiteral("1"), freshDate()));
        F::press(Qt::Key_Insert);
        F::type(QStringLiteral("3"));
        F::press(Qt::Key_Tab);
        F::press(Qt::Key_Tab);
        if (column == F::Price) {
            F::type(QStringLiteral("2"));
            F::press(Qt::Key_Tab);
        }
        F::type(refused);
        F::press(Qt::Key_Tab);
        QCOMPARE(prompts().errors, QStringList{message});
        QCOMPARE(grid()->SelectedIndex(), column);
        F::type(retyped);
        F::press(Qt::Key_Tab);
        QCOMPARE(prompts().errors, QStringList{message});
        QCOMPARE(fx_.cell(0, column), shown);
        QCOMPARE(grid()->SelectedIndex(), column + 1);
    }

    void tinyTotalIsRefusedOnTheTotalColumn_data()
    {
        QTest::addColumn<bool>("leavingTheColumn");
        QTest::newRow("posting") << false;
        QTest::newRow("leaving the column") << true;
    }

    void tinyTotalIsRefusedOnTheTotalColumn()
    {
        QFETCH(bool, leavingTheColumn);
        const QDate date = freshDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        F::typeNewLine(QStringLiteral("1"), QStringLiteral("0,001"), QStringLiteral("0,05"));
        QCOMPARE(fx_.cell(0, F::Total), QStringLiteral("0,000"));
        QCOMPARE(grid()->SelectedIndex(), int(F::Total));
        QVERIFY(prompts().errors.isEmpty());
        if (leavingTheColumn)
            F::press(Qt::Key_Tab);
        else
            fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList{TotalMissing});
        QCOMPARE(grid()->SelectedIndex(), int(F::Total));
        QVERIFY(focusInGrid());
        QCOMPARE(state(), TDataSetState::dsInsert);
        QVERIFY(fx_.serverDb().lines(QStringLiteral("0001"), date).isEmpty());
    }

    void totalIsWorkedOutWithHalvesToEven()
    {
        const QDate date = freshDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        F::typeNewLine(QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("0,25"));
        QCOMPARE(fx_.cell(0, F::Total), QStringLiteral("0,750"));
        // A total typed before the price is left is replaced; one typed after it stays.
        F::press(Qt::Key_Backtab, Qt::ShiftModifier);
        F::retype(QStringLiteral("0,35"));
        F::press(Qt::Key_Tab);
        QCOMPARE(fx_.cell(0, F::Total), QStringLiteral("1,050"));
        F::retype(QStringLiteral("2"));
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date),
                 QStringList({"00001|3.0000|0.3500|2.0000"}));
    }

    void storedLineIsCheckedAgainWhenPosted_data()
    {
        QTest::addColumn<QString>("staff");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("saved");
        QTest::newRow("staff changed, total missing") << "3"
                                                      << ""
                                                      << "00003|3.0000|10.0000|30.0000";
        QTest::newRow("staff set to 0") << "0" << StaffMissing << "00003|2.0000|10.0000|0.0000";
    }

    void storedLineIsCheckedAgainWhenPosted()
    {
        QFETCH(QString, staff);
        QFETCH(QString, error);
        QFETCH(QString, saved);
        const QDate date = freshDate();
        fx_.serverDb().insertLine(QStringLiteral("0001"), date, QStringLiteral("00003"), QStringLiteral("2"),
                                  QStringLiteral("10"), QStringLiteral("0"));
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        QVERIFY(fx_.clickCell(0, F::Staff));
        F::type(staff);
        // Posted without leaving the column; the service of a stored line is not checked again.
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(state(), error.isEmpty() ? TDataSetState::dsBrowse : TDataSetState::dsEdit);
        if (!error.isEmpty())
            QCOMPARE(grid()->SelectedIndex(), int(F::Staff));
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date), QStringList{saved});
    }

    void totalBeyondTheFieldIsRefused_data()
    {
        QTest::addColumn<QString>("staff");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("total"); // empty: refused
        QTest::newRow("product beyond 64 bits") << "9999999,999"
                                                << "9999999999999,99"
                                                << "";
        QTest::newRow("beyond the fixed-point range") << "1000"
                                                      << "9999999999999"
                                                      << "";
        QTest::newRow("one digit too many") << "1000"
                                            << "99999999999"
                                            << "";
        QTest::newRow("largest that fits") << "1"
                                           << "9999999999999,99"
                                           << "9.999.999.999.999,990";
    }

    void totalBeyondTheFieldIsRefused()
    {
        QFETCH(QString, staff);
        QFETCH(QString, price);
        QFETCH(QString, total);
        const QDate date = freshDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        F::typeNewLine(QStringLiteral("2"), staff, price);
        QCOMPARE(grid()->SelectedIndex(), int(F::Total));
        QVERIFY(focusInGrid());
        if (!total.isEmpty()) {
            QCOMPARE(prompts().errors, QStringList());
            QCOMPARE(fx_.cell(0, F::Total), total);
            fx_.click(screen_->sbtConfirmar);
            QCOMPARE(prompts().errors, QStringList());
            QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date).size(), 1);
            return;
        }
        QCOMPARE(prompts().errors.size(), 1);
        QVERIFY2(prompts().errors.first().contains(QStringLiteral("Valor total")),
                 qPrintable(prompts().errors.first()));
        QCOMPARE(state(), TDataSetState::dsInsert);
        // Posting refuses it the same way: no wrapped or cut total ever reaches the server.
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors.size(), 2);
        QCOMPARE(prompts().errors.last(), prompts().errors.first());
        QCOMPARE(grid()->SelectedIndex(), int(F::Total));
        QCOMPARE(state(), TDataSetState::dsInsert);
        QVERIFY(fx_.serverDb().lines(QStringLiteral("0001"), date).isEmpty());
    }

    void keysOnTheCodeAndNameOfStoredLines_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        for (const int column : {int(F::Code), int(F::Name)}) {
            const QByteArray at = column == F::Code ? " on the code" : " on the name";
            QTest::newRow("letter" + at) << column << int(Qt::Key_X) << 0;
            QTest::newRow("digit" + at) << column << int(Qt::Key_7) << 0;
            QTest::newRow("Backspace" + at) << column << int(Qt::Key_Backspace) << 0;
            QTest::newRow("F2" + at) << column << int(Qt::Key_F2) << 0;
            QTest::newRow("Ctrl+Delete" + at) << column << int(Qt::Key_Delete) << int(Qt::ControlModifier);
            QTest::newRow("End" + at) << column << int(Qt::Key_End) << 0;
            QTest::newRow("Page Down" + at) << column << int(Qt::Key_PageDown) << 0;
        }
    }

    void keysOnTheCodeAndNameOfStoredLines()
    {
        QFETCH(int, column);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        const QDate date = freshDate();
        for (const char* service : {"00001", "00002", "00003"})
            fx_.serverDb().insertLine(QStringLiteral("0001"), date, QLatin1String(service),
                                      QStringLiteral("2"), QStringLiteral("10"), QStringLiteral("20"));
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        if (column == F::Name)
            F::press(Qt::Key_Right);
        QCOMPARE(grid()->SelectedIndex(), column);
        const QStringList before = fx_.shownLines();
        prompts().answers = {true};

        F::press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(state(), TDataSetState::dsBrowse);
        QCOMPARE(fx_.shownLines(), before);
        QCOMPARE(grid()->currentIndex().row(), 0);
        QCOMPARE(grid()->SelectedIndex(), column);
        QVERIFY(!grid()->EditorMode());
        QVERIFY(prompts().questions.isEmpty());
        QVERIFY(prompts().errors.isEmpty());
        QVERIFY(focusInGrid());
    }

    void movingKeysPassOnStoredLinesAndNumbersCanBeTyped()
    {
        const QDate date = freshDate();
        for (const char* service : {"00001", "00002"})
            fx_.serverDb().insertLine(QStringLiteral("0001"), date, QLatin1String(service),
                                      QStringLiteral("2"), QStringLiteral("10"), QStringLiteral("20"));
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        const auto at = [this] { return QPoint(grid()->currentIndex().row(), grid()->SelectedIndex()); };
        QCOMPARE(at(), QPoint(0, F::Code));
        F::press(Qt::Key_Down);
        QCOMPARE(at(), QPoint(1, F::Code));
        F::press(Qt::Key_Up);
        QCOMPARE(at(), QPoint(0, F::Code));
        F::press(Qt::Key_Right);
        QCOMPARE(at(), QPoint(0, F::Name));
        F::press(Qt::Key_Left);
        QCOMPARE(at(), QPoint(0, F::Code));
        F::press(Qt::Key_Tab);
        QCOMPARE(at(), QPoint(0, F::Name));
        F::press(Qt::Key_Return);
        QCOMPARE(at(), QPoint(0, F::Staff));
        QCOMPARE(state(), TDataSetState::dsBrowse);

        // Numeric columns take typing, and their editing keys work.
        F::type(QStringLiteral("7"));
        QCOMPARE(state(), TDataSetState::dsEdit);
        QCOMPARE(editorText(), QStringLiteral("7"));
        F::press(Qt::Key_Escape);
        QCOMPARE(state(), TDataSetState::dsBrowse);
        QCOMPARE(fx_.cell(0, F::Staff), QStringLiteral("2,000"));
        F::press(Qt::Key_End);
        QCOMPARE(at(), QPoint(0, F::Total));

        F::press(Qt::Key_Home);
        QCOMPARE(at(), QPoint(0, F::Code));

        // Insert passes on the code column, and then the code can be typed.
        F::press(Qt::Key_Insert);
        QCOMPARE(state(), TDataSetState::dsInsert);
        F::type(QStringLiteral("x"));
        QCOMPARE(editorText(), QStringLiteral("x"));
        F::press(Qt::Key_Escape);
        QCOMPARE(fx_.rowCount(), 2);
        QVERIFY(prompts().errors.isEmpty());
    }

    void serviceSearchFillsCodeAndName()
    {
        const QDate date = freshDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        F::press(Qt::Key_Insert);
        QVERIFY(grid()->EditorMode()); // the new line's code cell opens with its search button
        auto* button = grid()->InplaceEditor()->findChild<QToolButton*>();
        QVERIFY(button && button->isVisible());

        int listed = 0;
        prompts().choices = {[&](TDataSource& source) {
                                 listed = source.DataSet()->RecordCount();
                                 return false;
                             },
                             [](TDataSource& source) {
                                 return source.DataSet()->Locate(QStringLiteral("CDSERVFILI"),
                                                                 {QStringLiteral("00004")});
                             }};
        fx_.click(button);
        QCOMPARE(prompts().searchTitles, QStringList{QStringLiteral("Serviço|Não há serviço cadastrado.")});
        QCOMPARE(listed, 5);
        QCOMPARE(screen_->cdsEfetGestUSR_CDSERVFILI->AsString(), QString());

        F::press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(prompts().searchTitles.size(), 2);
        QCOMPARE(screen_->cdsEfetGestUSR_CDSERVFILI->AsString(), QStringLiteral("00004"));
        QCOMPARE(screen_->cdsEfetGestNMSERVICO->AsString(), QStringLiteral("Recepção"));
        F::press(Qt::Key_Tab);
        QCOMPARE(grid()->SelectedIndex(), int(F::Name));
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("1"));
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("5"));
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date),
                 QStringList({"00004|1.0000|5.0000|5.0000"}));
        // A stored line has no search.
        QCOMPARE(grid()->Columns()[F::Code]->ButtonStyle(), TColumnButtonStyle::cbsNone);
    }

    void f12InTheGridGoesToTheBranchCode_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("alone") << 0;
        QTest::newRow("with Shift") << int(Qt::ShiftModifier);
        QTest::newRow("with Ctrl") << int(Qt::ControlModifier);
        QTest::newRow("with Alt") << int(Qt::AltModifier);
    }

    void f12InTheGridGoesToTheBranchCode()
    {
        QFETCH(int, modifiers);
        const QDate date = freshDate();
        fx_.serverDb().insertLine(QStringLiteral("0002"), date, QStringLiteral("00001"), QStringLiteral("2"),
                                  QStringLiteral("10"), QStringLiteral("20"));
        QVERIFY(fx_.showLines(QStringLiteral("2"), date));
        QVERIFY(screen_->sbtAlterar->isEnabled());
        F::press(Qt::Key_F12, Qt::KeyboardModifiers(modifiers));
        if (modifiers != 0) {
            QVERIFY(focusInGrid());
            QVERIFY(screen_->dtsPadrao->Enabled());
            QVERIFY(screen_->sbtAlterar->isEnabled());
            return;
        }
        QCOMPARE(F::focus(), screen_->medCdFilial);
        QVERIFY(!screen_->dtsPadrao->Enabled());
        QVERIFY(!screen_->sbtIncluir->isEnabled());
        QVERIFY(!screen_->sbtAlterar->isEnabled());
        QVERIFY(!screen_->btnImporta->isEnabled());
        // Typing there replaces the code: the user goes on to another branch at once.
        F::type(QStringLiteral("3"));
        QCOMPARE(screen_->medCdFilial->Text(), QStringLiteral("3"));
    }
};

QTEST_MAIN(TstMed00418Editing)
#include "tst_med00418_editing.moc"

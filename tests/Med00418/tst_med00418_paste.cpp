#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ScreenTest.h"
#include "ServerDatabase.h"
#include "TClientDataSet.h"
#include "TMaskEdit.h"
#include "TfrmMediEfeti.h"
#include "dtmDBGeral.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QSqlQuery>
#include <QtTest>

using F = ScreenFixture;

// Lines pasted into the grid, from a spreadsheet or from the screen's own list copy, by every usual
// gesture: each row goes through the checks and the save of a typed line.
class TstMed00418Paste : public ScreenTest {
    Q_OBJECT

public:
    // The gestures that paste in the grid.
    enum Way { CtrlV, ShiftInsert, MenuColar };
    Q_ENUM(Way)

private:
    int nextDay_ = 0;
    bool localOnlyService_ = false;

    QDate freshDate() { return QDate(2034, 3, 1).addDays(nextDay_++); }

    // "row|reason" per row of the refusals dialog; empty when none was shown.
    QStringList shownRefusals() const
    {
        QStringList out;
        for (const RecordingPrompts::Table& table : prompts().tables) {
            for (const QStringList& row : table.rows)
                out << row[0] + QLatin1Char('|') + row[2];
        }
        return out;
    }

    // Right-clicks the grid, on the first line's `column` or, with no line, on its empty space; the menu
    // that opens.
    QMenu* openGridMenu(int column = F::Code) const
    {
        QWidget* viewport = grid()->viewport();
        const QRect first = grid()->visualRect(grid()->model()->index(0, column));
        const QPoint at = first.isValid() ? first.center() : viewport->rect().center();
        F::settle();
        QTest::mouseClick(fx_.mainWindow()->windowHandle(), Qt::RightButton, Qt::NoModifier,
                          viewport->mapTo(fx_.mainWindow(), at));
        QCoreApplication::processEvents();
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }

    static QAction* entryOf(const QMenu* menu, const QString& name)
    {
        for (QAction* action : menu->actions()) {
            if (action->objectName() == name)
                return action;
        }
        return nullptr;
    }

    // Chooses the entry `name` of the grid's menu with the mouse; false when it is not there or disabled.
    bool chooseInGridMenu(const QString& name)
    {
        QMenu* menu = openGridMenu();
        if (!menu)
            return false;
        QAction* entry = entryOf(menu, name);
        if (!entry || !entry->isEnabled()) {
            menu->close();
            return false;
        }
        F::clickIn(menu, menu->actionGeometry(entry).center());
        return !menu->isVisible() && fx_.activate();
    }

    bool pasteBy(Way way)
    {
        switch (way) {
        case CtrlV:
            F::press(Qt::Key_V, Qt::ControlModifier);
            return true;
        case ShiftInsert:
            F::press(Qt::Key_Insert, Qt::ShiftModifier);
            return true;
        case MenuColar:
            return chooseInGridMenu(QStringLiteral("mnuColar"));
        }
        return false;
    }

    QString totals() const
    {
        const auto* label = fx_.mainWindow()->findChild<QLabel*>(QStringLiteral("lblTotais"));
        return label ? label->text() : QStringLiteral("<no label>");
    }

private slots:
    void pastedRowsPassTheChecksOfTypedLines_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("refused");
        const QString columnCount =
            QStringLiteral("A linha tem %1; são 3 ou 4 (código, nº de efetivos, valor unitário e, se quiser, "
                           "valor total) ou as 5 da lista copiada da tela.");
        QTest::newRow("five rows, two bad, title and blank rows skipped")
            << QStringLiteral("Código\tEfetivos\tValor unitário\tTotal\r\n"
                              "1\t2\t10\r\n"
                              "2\t1,5\t100,00\t140,00\r\n"
                              "3\t0\t10\r\n"
                              "\r\n"
                              "99\t1\t1\r\n"
                              "4\t3\t5\t\r\n")
            << QStringList{"00001|2.0000|10.0000|20.0000", "00002|1.5000|100.0000|140.0000",
                           "00004|3.0000|5.0000|15.0000", "00006|1.0000|1.0000|1.0000"}
            << QStringList{"4|Nº de efetivos deve ser informado", "6|Serviço não cadastrado."};
        QTest::newRow("columns, a line already there, a price of zero, a number that is none")
            << QStringLiteral("1\t2\n6\t1\t1\n2\t1\t0\n3\tdois\t1\n4\t1\t1\t1\t1\t1")
            << QStringList{"00006|1.0000|1.0000|1.0000"}
            << QStringList{"1|" + columnCount.arg(QStringLiteral("2 colunas")),
                           "2|Efetivos para faturamento já cadastrado.",
                           "3|Preço unitáro deve ser informado.",
                           "4|Nº de Efetivos: 'dois' não é um valor decimal válido.",
                           "5|" + columnCount.arg(QStringLiteral("6 colunas"))};
        QTest::newRow("refusals name the grid's columns, one column in the singular")
            << QStringLiteral("1\n123456\t1\t1\n3\t12345678\t1\n4\t1\t1\t12345678901234\n2\t1\t1,2,3")
            << QStringList{"00006|1.0000|1.0000|1.0000"}
            << QStringList{"1|" + columnCount.arg(QStringLiteral("1 coluna")),
                           "2|Código: '123456' excede 5 caracteres.",
                           "3|Nº de Efetivos: '12345678' excede o limite da coluna (7 dígitos inteiros).",
                           "4|Valor Total: '12345678901234' excede o limite da coluna (13 dígitos inteiros).",
                           "5|Valor Unitário: '1,2,3' não é um valor decimal válido."};
        QTest::newRow("the screen's own copy: title skipped, name ignored, grouped numbers")
            << QStringLiteral("Código\tServiço\tNº de Efetivos\tValor Unitário\tValor Total\n"
                              "00001\tVigilância\t2.160,000\t1.234,560\t2.666.649,600\n"
                              "00002\tNome que não é o do serviço\t1,500\t1.000\t\n"
                              "4\t2\t10.5\n"
                              "00003\t\t1\t-1\t-1\n")
            << QStringList{"00001|2160.0000|1234.5600|2666649.6000", "00002|1.5000|1000.0000|1500.0000",
                           "00004|2.0000|10.5000|21.0000", "00006|1.0000|1.0000|1.0000"}
            << QStringList{"5|Preço unitáro deve ser informado."};
    }

    void pastedRowsPassTheChecksOfTypedLines()
    {
        QFETCH(QString, pasted);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, refused);
        const QDate date = freshDate();
        fx_.serverDb().insertLine(QStringLiteral("0001"), date, QStringLiteral("00006"), QStringLiteral("1"),
                                  QStringLiteral("1"), QStringLiteral("1"));
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        QGuiApplication::clipboard()->setText(pasted);
        const int busyBefore = prompts().busyShown;
        F::press(Qt::Key_V, Qt::ControlModifier);
        QVERIFY(fx_.activate());
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date), stored);
        QCOMPARE(shownRefusals(), refused);
        QCOMPARE(fx_.rowCount(), stored.size());
        QCOMPARE(screen_->cdsEfetGest->ChangeCount(), 0);
        // The grid, the totals and the busy sign followed the paste as a whole: one sign for the rows, one
        // for reading the list again.
        QCOMPARE(screen_->dbgData->model()->rowCount(), stored.size());
        QVERIFY2(totals().startsWith(QStringLiteral("Linhas: %1 ").arg(stored.size())), qPrintable(totals()));
        QCOMPARE(prompts().busyShown - busyBefore, 2);
        QVERIFY(!prompts().busy);
        QVERIFY(screen_->updatesEnabled());
    }

    void rowsTheServerRefusesAreReportedEachOnItsOwn_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("refused");
        // Service 00090 is registered for branch 0001 where the screen checks codes, not on the server.
        const QString notOnServer = QStringLiteral(
            "Linha 1 (filial 0001, data %1, serviço 00090) recusada: serviço não cadastrado para a "
            "filial.");
        QTest::newRow("one refused by the server between two stored")
            << QStringLiteral("1\t2\t10\n90\t1\t1\n2\t3\t5\n")
            << QStringList{"00001|2.0000|10.0000|20.0000", "00002|3.0000|5.0000|15.0000"}
            << QStringList{"2|" + notOnServer};
        QTest::newRow("refused by the server and by the screen's checks in one block")
            << QStringLiteral("Código\tEfetivos\tValor\n3\t0\t10\n90\t1\t1\n4\t1\t1\n")
            << QStringList{"00004|1.0000|1.0000|1.0000"}
            << QStringList{"2|Nº de efetivos deve ser informado", "3|" + notOnServer};
        QTest::newRow("a service twice in the block, the second refused as already there")
            << QStringLiteral("1\t1\t1\n00001\t2\t2\n5\t1\t1\n")
            << QStringList{"00001|1.0000|1.0000|1.0000", "00005|1.0000|1.0000|1.0000"}
            << QStringList{"2|Efetivos para faturamento já cadastrado."};
    }

    // A block the server refuses is saved again row by row: the others are stored, and the row it refuses
    // is reported with the server's words, as when it was typed.
    void rowsTheServerRefusesAreReportedEachOnItsOwn()
    {
        QFETCH(QString, pasted);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, refused);
        if (!std::exchange(localOnlyService_, true)) {
            QSqlQuery local(TdtmDBGeral::current()->adcGeral());
            QVERIFY(
                local.exec(QStringLiteral("INSERT INTO SERVICO VALUES ('0001', '00090', 'Só na estação')")));
        }
        const QDate date = freshDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        screen_->PasteLines(pasted);
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date), stored);
        QStringList expected;
        for (const QString& reason : refused)
            expected << reason.arg(date.toString(QStringLiteral("dd/MM/yyyy")));
        QCOMPARE(shownRefusals(), expected);
        QCOMPARE(fx_.rowCount(), stored.size());
        QCOMPARE(screen_->cdsEfetGest->ChangeCount(), 0);
    }

    void longPasteShowsProgressAndCanBeCalledOff_data()
    {
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("progress");
        QTest::addColumn<QStringList>("refused");
        const QString calledOff = QStringLiteral("Não colada: a colagem foi cancelada antes desta linha.");
        const QStringList all{"00001|1.0000|1.0000|1.0000", "00002|1.0000|1.0000|1.0000",
                              "00003|1.0000|1.0000|1.0000", "00004|1.0000|1.0000|1.0000",
                              "00005|1.0000|1.0000|1.0000"};
        QTest::newRow("let run") << -1 << all << QStringList{"0/5", "2/5", "4/5"} << QStringList();
        QTest::newRow("called off before the second block")
            << 1 << all.mid(0, 2) << QStringList{"0/5", "2/5"}
            << QStringList{"3|" + calledOff, "4|" + calledOff, "5|" + calledOff};
        QTest::newRow("called off before the first block")
            << 0 << QStringList() << QStringList{"0/5"}
            << QStringList{"1|" + calledOff, "2|" + calledOff, "3|" + calledOff, "4|" + calledOff,
                           "5|" + calledOff};
    }

    // Blocks of two rows stand for the long paste's blocks of a thousand: the progress after each, and
    // calling it off keeps the blocks saved and lists the rest as not pasted.
    void longPasteShowsProgressAndCanBeCalledOff()
    {
        QFETCH(int, cancelAt);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, progress);
        QFETCH(QStringList, refused);
        const QDate date = freshDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        prompts().cancelAtProgress = cancelAt;
        screen_->SetPasteBlockRows(2);
        const auto restore = qScopeGuard([this] { screen_->SetPasteBlockRows(1000); });
        screen_->PasteLines(QStringLiteral("1\t1\t1\n2\t1\t1\n3\t1\t1\n4\t1\t1\n5\t1\t1\n"));
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(prompts().progress, progress);
        QVERIFY(!prompts().progressShown);
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date), stored);
        QCOMPARE(shownRefusals(), refused);
        QCOMPARE(fx_.rowCount(), stored.size());
        QCOMPARE(screen_->cdsEfetGest->ChangeCount(), 0);
    }

    void copiedListPastesBackOnAnotherDate_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<Way>("way");
        const QLocale ptBR(QLocale::Portuguese, QLocale::Brazil);
        QTest::newRow("pt_BR, Ctrl+V") << ptBR << CtrlV;
        QTest::newRow("pt_BR, Shift+Insert") << ptBR << ShiftInsert;
        QTest::newRow("pt_BR, Colar in the grid's menu") << ptBR << MenuColar;
        QTest::newRow("C, Ctrl+V") << QLocale::c() << CtrlV;
        QTest::newRow("en_US, Colar in the grid's menu")
            << QLocale(QLocale::English, QLocale::UnitedStates) << MenuColar;
    }

    // Yesterday's list copied, today's date chosen, the list pasted: the same lines under the new date.
    void copiedListPastesBackOnAnotherDate()
    {
        QFETCH(QLocale, locale);
        QFETCH(Way, way);
        const QLocale users;
        QLocale::setDefault(locale);
        const auto restore = qScopeGuard([users] { QLocale::setDefault(users); });
        ServerDatabase& db = fx_.serverDb();
        const QDate copied = freshDate();
        db.insertLine(QStringLiteral("0001"), copied, QStringLiteral("00001"), QStringLiteral("2160"),
                      QStringLiteral("1234.56"), QStringLiteral("2666649.6"));
        db.insertLine(QStringLiteral("0001"), copied, QStringLiteral("00002"), QStringLiteral("1234.567"),
                      QStringLiteral("10"), QStringLiteral("12345.67"));
        db.insertLine(QStringLiteral("0001"), copied, QStringLiteral("00004"), QStringLiteral("1"),
                      QStringLiteral("0.5"), QStringLiteral("0.5"));
        QVERIFY(fx_.showLines(QStringLiteral("1"), copied));
        QGuiApplication::clipboard()->clear();
        QVERIFY(chooseInGridMenu(QStringLiteral("mnuCopiarLista")));
        const QString copy = QGuiApplication::clipboard()->text();
        QVERIFY2(copy.contains(QStringLiteral("2") + locale.groupSeparator() + QStringLiteral("160") +
                               locale.decimalPoint()),
                 qPrintable(copy));

        const QDate pasted = freshDate();
        F::press(Qt::Key_F12);
        QCOMPARE(F::focus(), screen_->medCdFilial);
        F::press(Qt::Key_Tab);
        F::retype(F::dateKeys(pasted));
        F::press(Qt::Key_Tab);
        QVERIFY(grid()->isAncestorOf(F::focus()) || F::focus() == grid());
        QCOMPARE(fx_.rowCount(), 0);
        QVERIFY(pasteBy(way));
        QVERIFY(fx_.activate());
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(shownRefusals(), QStringList());
        QCOMPARE(db.lines(QStringLiteral("0001"), pasted).size(), 3);
        QCOMPARE(db.lines(QStringLiteral("0001"), pasted), db.lines(QStringLiteral("0001"), copied));
        QCOMPARE(fx_.rowCount(), 3);
    }

    void pasteEntryFollowsTheClipboardAndTheList_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<bool>("inserting");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("lines copied, list browsed") << QStringLiteral("1\t1\t1\n") << false << true;
        QTest::newRow("clipboard empty") << QString() << false << false;
        QTest::newRow("only blanks copied") << QStringLiteral(" \n") << false << false;
        QTest::newRow("a line being inserted") << QStringLiteral("1\t1\t1\n") << true << false;
    }

    void pasteEntryFollowsTheClipboardAndTheList()
    {
        QFETCH(QString, clipboard);
        QFETCH(bool, inserting);
        QFETCH(bool, enabled);
        QVERIFY(fx_.showLines(QStringLiteral("1"), freshDate()));
        if (inserting)
            F::press(Qt::Key_Insert);
        QGuiApplication::clipboard()->setText(clipboard);
        // Beside the cell being typed in, whose own menu edits its text.
        QMenu* menu = openGridMenu(F::Staff);
        QVERIFY(menu);
        const auto close = qScopeGuard([menu] { menu->close(); });
        const QAction* entry = entryOf(menu, QStringLiteral("mnuColar"));
        QVERIFY(entry);
        QCOMPARE(entry->isEnabled(), enabled);
        // The caption, then the paste key as the desktop writes it.
        QCOMPARE(entry->text(), QStringLiteral("Colar\t") +
                                    QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText));
        QCOMPARE(screen_->cdsEfetGest->State(),
                 inserting ? TDataSetState::dsInsert : TDataSetState::dsBrowse);
    }
};

QTEST_MAIN(TstMed00418Paste)
#include "tst_med00418_paste.moc"

#include "Med00418.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ScreenTest.h"
#include "ServerDatabase.h"
#include "TADOIBQuery.h"
#include "TADOIBStringField.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TEdit.h"
#include "TMaskEdit.h"
#include "TStringField.h"
#include "TfrmMediEfeti.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

using F = ScreenFixture;

// What the screen stores is what the user saw and meant: lines stay under the branch they were loaded
// for, the code and name of a stored line take nothing in by any way, and a total never goes out stale.
class TstMed00418Integrity : public ScreenTest {
    Q_OBJECT

public:
    // Ways text reaches a cell editor besides typing.
    enum Way { ShiftInsert, CtrlV, ContextMenuPaste, Drop, InputMethod };
    Q_ENUM(Way)

private:
    int nextDay_ = 0;

    QDate freshDate() { return QDate(2032, 1, 1).addDays(nextDay_++); }
    TDataSetState state() const { return screen_->cdsEfetGest->State(); }
    QString editorText() const
    {
        return grid()->EditorMode() ? grid()->InplaceEditor()->text() : QStringLiteral("<closed>");
    }

    // Clicks the cell, then types `text` into it (over what it held when its editor was open).
    void typeInto(int row, int column, const QString& text)
    {
        QVERIFY(fx_.clickCell(row, column));
        if (grid()->EditorMode())
            F::retype(text);
        else
            F::type(text);
    }

    // The text goes in by `way` (a paste takes it from the clipboard) to whatever has the focus.
    void writeBy(Way way, const QString& text)
    {
        QGuiApplication::clipboard()->setText(way == Drop || way == InputMethod ? QString() : text);
        switch (way) {
        case ShiftInsert:
            F::press(Qt::Key_Insert, Qt::ShiftModifier);
            break;
        case CtrlV:
            F::press(Qt::Key_V, Qt::ControlModifier);
            break;
        case ContextMenuPaste:
            pasteThroughContextMenu();
            break;
        case Drop:
            dropText(text);
            break;
        case InputMethod: {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(F::focus(), &commit);
            break;
        }
        }
    }

    // A right click on the cell; whatever menu it opens, its Paste entry is chosen.
    void pasteThroughContextMenu()
    {
        QWidget* target = F::focus();
        QTest::mouseClick(fx_.mainWindow()->windowHandle(), Qt::RightButton, Qt::NoModifier,
                          target->mapTo(fx_.mainWindow(), target->rect().center()));
        QCoreApplication::processEvents();
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        // The entry carries the paste shortcut after its (maybe translated) caption.
        const QString shortcut = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
        for (QAction* action : menu->actions()) {
            if (action->text().endsWith(QLatin1Char('\t') + shortcut))
                action->trigger();
        }
        menu->close();
        QVERIFY(fx_.activate());
        QVERIFY(QTest::qWaitFor([target] { return F::focus() == target; }));
    }

    // Text dragged from another program and dropped on the current cell: delivered, as the window
    // delivers it, to the widget under the pointer that takes drops, only as far as it accepts.
    void dropText(const QString& text)
    {
        QMimeData data;
        data.setText(text);
        const QRect cell = grid()->visualRect(grid()->currentIndex());
        const QPoint at = grid()->viewport()->mapTo(fx_.mainWindow(), cell.center());
        QWidget* target = fx_.mainWindow()->childAt(at);
        while (target && !target->acceptDrops())
            target = target->parentWidget();
        if (!target)
            return;
        const QPoint local = target->mapFrom(fx_.mainWindow(), at);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(local, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return;
        QDragMoveEvent move(local, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        if (!move.isAccepted())
            return;
        QDropEvent drop(local, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
    }

private slots:
    void importAndEditingStayOnTheBranchShown_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::addColumn<QString>("movedTo"); // where the search list went before it was left
        QTest::newRow("button, list left as opened") << false << QString();
        QTest::newRow("menu entry, list left as opened") << true << QString();
        QTest::newRow("button, list moved to another branch") << false << QStringLiteral("0003");
    }

    void importAndEditingStayOnTheBranchShown()
    {
        QFETCH(bool, byMenu);
        QFETCH(QString, movedTo);
        // The demo server bills every branch on each of the last ten days.
        const QDate date = QDate::currentDate().addDays(byMenu ? -5 : movedTo.isEmpty() ? -4 : -6);
        ServerDatabase& db = fx_.serverDb();
        const QString billed = QStringLiteral("SELECT CDSERVFILIAPGD FROM APURFATGD WHERE CDFILIAL = ? AND "
                                              "DTAPURACFATGD = ? ORDER BY CDSERVFILIAPGD");
        const QStringList services = db.rows(billed, {QStringLiteral("0002"), date.toString(Qt::ISODate)});
        QCOMPARE(services.size(), 6);
        QVERIFY(!db.rows(billed, {QStringLiteral("0001"), date.toString(Qt::ISODate)}).isEmpty());
        QVERIFY(fx_.showLines(QStringLiteral("2"), date));
        const QString name = screen_->edtNmFilial->text();
        QCOMPARE(name, QStringLiteral("Filial Campinas"));

        prompts().choices = {[&](TDataSource& source) {
            if (!movedTo.isEmpty())
                source.DataSet()->Locate(QStringLiteral("CDFILIAL"), {movedTo});
            return false;
        }};
        fx_.click(screen_->btpFilial);
        QCOMPARE(prompts().searchTitles.size(), 1);
        // Left without a choice: nothing the screen works on has moved.
        QCOMPARE(screen_->qryFilialCDFILIAL->AsString(), QStringLiteral("0002"));
        QCOMPARE(screen_->medCdFilial->Text(), QStringLiteral("0002"));
        QCOMPARE(screen_->edtNmFilial->text(), name);
        QVERIFY(screen_->dtsPadrao->Enabled());
        QVERIFY(screen_->btnImporta->isEnabled());

        if (byMenu)
            screen_->mnuImpEF->trigger();
        else
            fx_.click(screen_->btnImporta);
        QCOMPARE(prompts().errors, QStringList());
        QVERIFY(db.lines(QStringLiteral("0001"), date).isEmpty());
        QVERIFY(db.lines(QStringLiteral("0003"), date).isEmpty());
        QCOMPARE(db.lines(QStringLiteral("0002"), date).size(), services.size());
        QCOMPARE(fx_.rowCount(), services.size());
        for (int row = 0; row < services.size(); ++row)
            QCOMPARE(fx_.cell(row, F::Code), services[row]);

        // A line changed afterwards is stored under the branch it came from.
        const QString first = db.lines(QStringLiteral("0002"), date).first();
        typeInto(0, F::Total, QStringLiteral("12345"));
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(state(), TDataSetState::dsBrowse);
        const QStringList after = db.lines(QStringLiteral("0002"), date);
        QCOMPARE(after.size(), services.size());
        QCOMPARE(after.first(), first.section(QLatin1Char('|'), 0, 2) + QStringLiteral("|12345.0000"));
        QVERIFY(db.lines(QStringLiteral("0001"), date).isEmpty());
        QVERIFY(db.lines(QStringLiteral("0003"), date).isEmpty());
    }

    void storedCodeAndNameTakeNothingIn_data()
    {
        QTest::addColumn<Way>("way");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        const QList<QPair<Way, QByteArray>> ways = {{ShiftInsert, "Shift+Insert"},
                                                    {CtrlV, "Ctrl+V"},
                                                    {ContextMenuPaste, "context menu paste"},
                                                    {Drop, "drop"},
                                                    {InputMethod, "input method"}};
        for (const auto& [way, label] : ways) {
            // Another branch's service, and a name that is no service's.
            QTest::newRow(label + " on the code") << way << int(F::Code) << QStringLiteral("00006");
            QTest::newRow(label + " on the name") << way << int(F::Name) << QStringLiteral("Outro");
        }
    }

    void storedCodeAndNameTakeNothingIn()
    {
        QFETCH(Way, way);
        QFETCH(int, column);
        QFETCH(QString, text);
        const QDate date = freshDate();
        fx_.serverDb().insertLine(QStringLiteral("0001"), date, QStringLiteral("00001"), QStringLiteral("2"),
                                  QStringLiteral("10"), QStringLiteral("20"));
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        const QString shown = fx_.cell(0, column);
        QVERIFY(fx_.clickCell(0, column));
        QVERIFY(fx_.clickCell(0, column)); // on the current cell: its editor opens
        QVERIFY(grid()->EditorMode());

        writeBy(way, text);
        QCOMPARE(state(), TDataSetState::dsBrowse);
        QCOMPARE(editorText(), shown);
        QVERIFY(!grid()->InplaceEditor()->isModified());

        // Whatever the cell got would now be written and stored with the line.
        F::press(Qt::Key_Tab);
        typeInto(0, F::Total, QStringLiteral("25"));
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(state(), TDataSetState::dsBrowse);
        QCOMPARE(fx_.cell(0, column), shown);
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date),
                 QStringList{QStringLiteral("00001|2.0000|10.0000|25.0000")});
    }

    void staleTotalIsWorkedOutBeforeStoring_data()
    {
        QTest::addColumn<QString>("stored");    // staff|price|total
        QTest::addColumn<QStringList>("edits"); // "column=value", each typed after a click on its cell
        QTest::addColumn<bool>("byMovingDown"); // else by the confirm command
        QTest::addColumn<QString>("saved");     // staff|price|total; the stored line when refused
        QTest::addColumn<QString>("error");
        const QString tooLarge =
            QStringLiteral("Valor total excede o limite do campo (13 dígitos inteiros).");
        QTest::newRow("staff changed") << "2|10|20" << QStringList{"Staff=5"} << false << "5|10|50"
                                       << "";
        QTest::newRow("price changed") << "2|10|20" << QStringList{"Price=3"} << false << "2|3|6"
                                       << "";
        QTest::newRow("staff changed, line left downwards")
            << "2|10|20" << QStringList{"Staff=5"} << true << "5|10|50"
            << "";
        QTest::newRow("total typed, then staff changed")
            << "2|10|20" << QStringList{"Total=45", "Staff=5"} << false << "5|10|50"
            << "";
        QTest::newRow("staff changed, then total typed")
            << "2|10|20" << QStringList{"Staff=5", "Total=45"} << false << "5|10|45"
            << "";
        QTest::newRow("staff typed as it was") << "2|10|25" << QStringList{"Staff=2"} << false << "2|10|25"
                                               << "";
        QTest::newRow("staff changed, total beyond the field")
            << "1|99999999999|99999999999" << QStringList{"Staff=1000"} << false
            << "1|99999999999|99999999999" << tooLarge;
    }

    void staleTotalIsWorkedOutBeforeStoring()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, edits);
        QFETCH(bool, byMovingDown);
        QFETCH(QString, saved);
        QFETCH(QString, error);
        const QDate date = freshDate();
        const QStringList values = stored.split(QLatin1Char('|'));
        ServerDatabase& db = fx_.serverDb();
        db.insertLine(QStringLiteral("0001"), date, QStringLiteral("00001"), values[0], values[1], values[2]);
        db.insertLine(QStringLiteral("0001"), date, QStringLiteral("00002"), QStringLiteral("1"),
                      QStringLiteral("1"), QStringLiteral("1"));
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));

        const QMap<QString, int> columns{{"Staff", F::Staff}, {"Price", F::Price}, {"Total", F::Total}};
        for (const QString& edit : edits)
            typeInto(0, columns.value(edit.section(QLatin1Char('='), 0, 0)),
                     edit.section(QLatin1Char('='), 1));
        if (byMovingDown)
            F::press(Qt::Key_Down);
        else
            fx_.click(screen_->sbtConfirmar);

        QCOMPARE(prompts().errors, error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(state(), error.isEmpty() ? TDataSetState::dsBrowse : TDataSetState::dsEdit);
        if (!error.isEmpty())
            QCOMPARE(grid()->SelectedIndex(), int(F::Total));
        QStringList expected;
        for (const QString& value : saved.split(QLatin1Char('|')))
            expected << QStringLiteral("%1.0000").arg(value);
        QCOMPARE(db.lines(QStringLiteral("0001"), date).first(),
                 QStringLiteral("00001|") + expected.join(QLatin1Char('|')));
    }
};

QTEST_MAIN(TstMed00418Integrity)
#include "tst_med00418_integrity.moc"

#include "DialogPrompts.h"
#include "ModalDriver.h"
#include "PacketCodec.h"
#include "Showavi.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TStringField.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QtTest>

namespace {

// Services of a branch: code and name, with labels as the search list shows them.
struct Services {
    TClientDataSet cds;
    TDataSource source;
    TStringField* code = new TStringField(&cds, QStringLiteral("CDSERVFILI"), 5);
    TStringField* name = new TStringField(&cds, QStringLiteral("NMSERVICO"), 40);

    explicit Services(const QList<Record>& rows)
    {
        code->SetDisplayLabel(QStringLiteral("Código"));
        name->SetDisplayLabel(QStringLiteral("Serviço"));
        cds.SetData(PacketCodec::encodePacket(cds.FieldDefList(), rows));
        source.SetDataSet(&cds);
    }
};

QList<Record> fiveServices()
{
    return {{"00001", "Limpeza"},
            {"00002", "Segurança"},
            {"00003", "Portaria"},
            {"00004", "Jardinagem"},
            {"00005", "Manutenção elétrica"}};
}

QLineEdit* filterOf(QWidget* dialog)
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("filter"));
}

int shownRows(QWidget* dialog)
{
    return dialog->findChild<QTableView*>(QStringLiteral("list"))->model()->rowCount();
}

// Types into whatever has the focus, as a user would.
void type(const QString& text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}

void press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

} // namespace

class TestDialogPrompts : public QObject {
    Q_OBJECT

    DialogPrompts prompts;

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void errorShowsTheText()
    {
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            text = box->text();
            icon = box->icon();
            press(Qt::Key_Return);
        });
        prompts.ShowError(QStringLiteral("Filial não cadastrada."));
        QCOMPARE(text, QStringLiteral("Filial não cadastrada."));
        QCOMPARE(icon, QMessageBox::Critical);
    }

    void confirmDefaultsToYes()
    {
        whenModal([](QWidget*) { press(Qt::Key_Return); });
        QVERIFY(prompts.Confirm(QStringLiteral("Excluir a linha?")));
        whenModal([](QWidget*) { press(Qt::Key_Escape); });
        QVERIFY(!prompts.Confirm(QStringLiteral("Excluir a linha?")));
    }

    void typingFiltersAndEnterChooses()
    {
        Services s(fiveServices());
        int before = -1;
        int after = -1;
        whenModal([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Serviço"));
            QCOMPARE(QApplication::focusWidget(), filterOf(dialog));
            before = shownRows(dialog);
            type(QStringLiteral("SEGURAN"));
            after = shownRows(dialog);
            press(Qt::Key_Return);
        });
        QVERIFY(prompts.ChooseRecord(s.source, QStringLiteral("Serviço"), QStringLiteral("Nada.")));
        QCOMPARE(before, 5);
        QCOMPARE(after, 1);
        QCOMPARE(s.cds.RecNo(), 2);
        QCOMPARE(s.code->AsString(), QStringLiteral("00002"));
    }

    void filterIgnoresAccentsAndMatchesCodes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("chosen");
        QTest::newRow("accents") << "manutencao" << 1 << 5;
        QTest::newRow("accent typed") << "SEGURANÇA" << 1 << 2;
        QTest::newRow("code") << "0003" << 1 << 3;
        QTest::newRow("inside a name") << "ar" << 2 << 3; // Portaria, Jardinagem
    }

    void filterIgnoresAccentsAndMatchesCodes()
    {
        QFETCH(QString, typed);
        QFETCH(int, rows);
        QFETCH(int, chosen);
        Services s(fiveServices());
        int shown = -1;
        whenModal([&](QWidget* dialog) {
            type(typed);
            shown = shownRows(dialog);
            press(Qt::Key_Return);
        });
        QVERIFY(prompts.ChooseRecord(s.source, QStringLiteral("Serviço"), QString()));
        QCOMPARE(shown, rows);
        QCOMPARE(s.cds.RecNo(), chosen);
    }

    void arrowsMoveTheListFromTheFilter()
    {
        Services s(fiveServices());
        whenModal([](QWidget*) {
            press(Qt::Key_Down);
            press(Qt::Key_Down);
            press(Qt::Key_Up);
            press(Qt::Key_Return);
        });
        QVERIFY(prompts.ChooseRecord(s.source, QStringLiteral("Serviço"), QString()));
        QCOMPARE(s.cds.RecNo(), 2);
    }

    void lettersTypedInTheListFilter()
    {
        Services s(fiveServices());
        int shown = -1;
        whenModal([&](QWidget* dialog) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), dialog->findChild<QTableView*>(QStringLiteral("list")));
            type(QStringLiteral("jard"));
            shown = shownRows(dialog);
            QCOMPARE(QApplication::focusWidget(), filterOf(dialog));
            press(Qt::Key_Return);
        });
        QVERIFY(prompts.ChooseRecord(s.source, QStringLiteral("Serviço"), QString()));
        QCOMPARE(shown, 1);
        QCOMPARE(s.cds.RecNo(), 4);
    }

    void escapeChoosesNothing()
    {
        Services s(fiveServices());
        s.cds.SetRecNo(3);
        whenModal([](QWidget*) {
            type(QStringLiteral("limp"));
            press(Qt::Key_Escape);
        });
        QVERIFY(!prompts.ChooseRecord(s.source, QStringLiteral("Serviço"), QString()));
        QCOMPARE(s.cds.RecNo(), 3);
    }

    void enterOnAnEmptyFilterResultWaits()
    {
        Services s(fiveServices());
        bool stillOpen = false;
        whenModal([&](QWidget* dialog) {
            type(QStringLiteral("zzz"));
            QCOMPARE(shownRows(dialog), 0);
            press(Qt::Key_Return);
            stillOpen = dialog->isVisible();
            press(Qt::Key_Escape);
        });
        QVERIFY(!prompts.ChooseRecord(s.source, QStringLiteral("Serviço"), QString()));
        QVERIFY(stillOpen);
    }

    void doubleClickChooses()
    {
        Services s(fiveServices());
        whenModal([](QWidget* dialog) {
            auto* list = dialog->findChild<QTableView*>(QStringLiteral("list"));
            const QRect cell = list->visualRect(list->model()->index(2, 1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
            QVERIFY(!dialog->isVisible());
        });
        QVERIFY(prompts.ChooseRecord(s.source, QStringLiteral("Serviço"), QString()));
        QCOMPARE(s.cds.RecNo(), 3);
    }

    void emptyListShowsItsTextAndChoosesNothing()
    {
        Services s({});
        QString text;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            text = box->text();
            press(Qt::Key_Return);
        });
        QVERIFY(!prompts.ChooseRecord(s.source, QStringLiteral("Serviço"),
                                      QStringLiteral("Não há serviço cadastrado.")));
        QCOMPARE(text, QStringLiteral("Não há serviço cadastrado."));
    }

    void emptyListWithoutTextIsQuiet()
    {
        Services s({});
        bool shown = false;
        QTimer watch;
        watch.setSingleShot(true);
        connect(&watch, &QTimer::timeout, this, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown = true;
                modal->close();
            }
        });
        watch.start(0);
        QVERIFY(!prompts.ChooseRecord(s.source, QStringLiteral("Serviço"), QString()));
        watch.stop();
        QVERIFY(!shown);
    }

    void thousandsOfLines()
    {
        QList<Record> rows;
        for (int i = 1; i <= 5000; ++i)
            rows.append(
                {QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("Serviço %1").arg(i)});
        Services s(rows);
        int shown = -1;
        whenModal([&](QWidget* dialog) {
            type(QStringLiteral("04321"));
            shown = shownRows(dialog);
            press(Qt::Key_Return);
        });
        QVERIFY(prompts.ChooseRecord(s.source, QStringLiteral("Serviço"), QString()));
        QCOMPARE(shown, 1);
        QCOMPARE(s.cds.RecNo(), 4321);
    }

    void busyIndicatorOverTheForm()
    {
        QWidget main;
        main.resize(600, 400);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        prompts.ShowBusy(&main, Showavi::Connecting);
        QPointer<QWidget> busy = prompts.BusyWidget();
        QVERIFY(busy);
        QCOMPARE(busy->parentWidget(), &main);
        QVERIFY(busy->isVisible());
        QCOMPARE(busy->accessibleName(), QStringLiteral("Conectando ao servidor..."));
        QVERIFY(main.rect().contains(busy->geometry()));
        QVERIFY((busy->geometry().center() - main.rect().center()).manhattanLength() <= 2);

        prompts.ShowBusy(&main, Showavi::Working);
        QCOMPARE(prompts.BusyWidget(), busy.data());
        QCOMPARE(busy->accessibleName(), QStringLiteral("Processando..."));

        // It turns while a wait lets the event loop run.
        const QImage first = busy->grab().toImage();
        QTRY_VERIFY(busy->grab().toImage() != first);

        prompts.HideBusy();
        QVERIFY(!busy);
        QVERIFY(!prompts.BusyWidget());
        prompts.HideBusy(); // nothing showing: still fine
    }

    void busyIndicatorFollowsResize()
    {
        QWidget main;
        main.resize(600, 400);
        main.show();
        prompts.ShowBusy(&main, Showavi::Working);
        QWidget* busy = prompts.BusyWidget();
        main.resize(900, 700);
        QVERIFY((busy->geometry().center() - main.rect().center()).manhattanLength() <= 2);
        prompts.HideBusy();
    }
};

QTEST_MAIN(TestDialogPrompts)
#include "tst_dialogprompts.moc"

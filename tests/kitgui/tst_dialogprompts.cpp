#include "DialogPrompts.h"
#include "Showavi.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TStringField.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTableView>
#include <QtTest>

namespace {

// Drives the modal window from inside its own event loop once it is active. A failed check closes it,
// so the test ends instead of hanging.
void whenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, qApp, [act = std::move(act)] {
        const auto closeOnFailure = qScopeGuard([] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && QTest::currentTestFailed())
                modal->close();
        });
        QTRY_VERIFY(QApplication::activeModalWidget());
        QWidget* modal = QApplication::activeModalWidget();
        modal->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(modal));
        act(modal);
    });
}

void press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

int shownRows(QWidget* dialog)
{
    return dialog->findChild<QTableView*>(QStringLiteral("list"))->model()->rowCount();
}

} // namespace

Q_DECLARE_METATYPE(UserPrompts::OpenLineAnswer)

class TestDialogPrompts : public QObject {
    Q_OBJECT

    DialogPrompts prompts;
    std::unique_ptr<TClientDataSet> cds;
    TStringField* code = nullptr;
    TDataSource source;

    // Runs the search list over the services, driven by `keys`, then `more`, which must close it.
    bool choose(const QString& keys, const std::function<void(QWidget*)>& more)
    {
        whenModal([&](QWidget* dialog) {
            QCOMPARE(QApplication::focusWidget(), dialog->findChild<QLineEdit*>(QStringLiteral("filter")));
            QTest::keyClicks(QApplication::focusWidget(), keys);
            more(dialog);
            QVERIFY2(!dialog->isVisible(), "the search list is still open");
        });
        return prompts.ChooseRecord(source, QStringLiteral("Serviço"),
                                    QStringLiteral("Não há serviço cadastrado."));
    }

private slots:
    void init()
    {
        cds = std::make_unique<TClientDataSet>();
        code = new TStringField(cds.get(), QStringLiteral("CDSERVFILI"), 5);
        auto* name = new TStringField(cds.get(), QStringLiteral("NMSERVICO"), 40);
        cds->Open();
        const QStringList names{"Limpeza", "Segurança", "Portaria", "Jardinagem", "Manutenção elétrica"};
        for (int i = 0; i < names.size(); ++i) {
            cds->Append();
            code->SetAsString(QStringLiteral("0000%1").arg(i + 1));
            name->SetAsString(names[i]);
            cds->Post();
        }
        cds->First();
        source.SetDataSet(cds.get());
    }

    void errorAndConfirm()
    {
        QString text;
        whenModal([&](QWidget* modal) {
            text = qobject_cast<QMessageBox*>(modal)->text();
            press(Qt::Key_Return);
        });
        prompts.ShowError(QStringLiteral("Filial não cadastrada."));
        QCOMPARE(text, QStringLiteral("Filial não cadastrada."));
        whenModal([](QWidget*) { press(Qt::Key_Return); });
        QVERIFY(prompts.Confirm(QStringLiteral("Excluir a linha?")));
        whenModal([](QWidget*) { press(Qt::Key_Escape); });
        QVERIFY(!prompts.Confirm(QStringLiteral("Excluir a linha?")));
    }

    void openLineQuestionOffersSaveDiscardAndStay_data()
    {
        QTest::addColumn<QString>("pressed"); // a button's caption, or a key
        QTest::addColumn<UserPrompts::OpenLineAnswer>("answer");
        QTest::newRow("Enter stores") << "Enter" << UserPrompts::OpenLineAnswer::Save;
        QTest::newRow("Esc stays") << "Esc" << UserPrompts::OpenLineAnswer::Stay;
        QTest::newRow("Descartar") << "&Descartar" << UserPrompts::OpenLineAnswer::Discard;
        QTest::newRow("Continuar editando") << "&Continuar editando" << UserPrompts::OpenLineAnswer::Stay;
    }

    void openLineQuestionOffersSaveDiscardAndStay()
    {
        QFETCH(QString, pressed);
        QStringList captions;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            for (QAbstractButton* button : box->buttons())
                captions << button->text();
            if (pressed == QLatin1String("Enter") || pressed == QLatin1String("Esc")) {
                press(pressed == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Escape);
                return;
            }
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == pressed)
                    QTest::mouseClick(button, Qt::LeftButton);
            }
        });
        QTEST(prompts.AskOpenLine(QStringLiteral("Gravar a linha?")), "answer");
        captions.sort();
        QCOMPARE(captions, QStringList({"&Continuar editando", "&Descartar", "&Gravar"}));
    }

    void typingFiltersAndEnterChooses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("chosen");
        QTest::newRow("nothing typed") << "" << 5 << 1;
        QTest::newRow("part of a name") << "SEGURAN" << 1 << 2;
        QTest::newRow("accents ignored") << "manutencao" << 1 << 5;
        QTest::newRow("accent typed") << "SEGURANÇA" << 1 << 2;
        QTest::newRow("code") << "0003" << 1 << 3;
        QTest::newRow("several") << "ar" << 2 << 3; // Portaria, Jardinagem
    }

    void typingFiltersAndEnterChooses()
    {
        QFETCH(QString, typed);
        QFETCH(int, rows);
        QFETCH(int, chosen);
        int shown = -1;
        QVERIFY(choose(typed, [&](QWidget* dialog) {
            shown = shownRows(dialog);
            press(Qt::Key_Return);
        }));
        QCOMPARE(shown, rows);
        QCOMPARE(cds->RecNo(), chosen);
    }

    void arrowsMoveTheListFromTheFilter()
    {
        QVERIFY(choose({}, [](QWidget*) {
            for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Return})
                press(key);
        }));
        QCOMPARE(code->AsString(), QStringLiteral("00002"));
    }

    void escapeOrNoMatchChoosesNothing()
    {
        cds->SetRecNo(3);
        QVERIFY(!choose(QStringLiteral("limp"), [](QWidget*) { press(Qt::Key_Escape); }));
        bool stayedOpen = false;
        QVERIFY(!choose(QStringLiteral("zzz"), [&](QWidget* dialog) {
            press(Qt::Key_Return);
            stayedOpen = dialog->isVisible();
            press(Qt::Key_Escape);
        }));
        QVERIFY(stayedOpen);
        QCOMPARE(cds->RecNo(), 3);
    }

    void emptyListShowsItsText()
    {
        cds->Close();
        cds->Open();
        QString text;
        whenModal([&](QWidget* modal) {
            text = qobject_cast<QMessageBox*>(modal)->text();
            press(Qt::Key_Return);
        });
        QVERIFY(!prompts.ChooseRecord(source, QStringLiteral("Serviço"),
                                      QStringLiteral("Não há serviço cadastrado.")));
        QCOMPARE(text, QStringLiteral("Não há serviço cadastrado."));
    }

    void busyIndicatorOverTheForm()
    {
        QWidget main;
        main.resize(600, 400);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        prompts.ShowBusy(&main, Showavi::Connecting);
        QPointer<QWidget> busy = prompts.BusyWidget();
        QVERIFY(busy && busy->isVisible());
        QCOMPARE(busy->parentWidget(), &main);
        QCOMPARE(busy->accessibleName(), QStringLiteral("Conectando ao servidor..."));
        prompts.ShowBusy(&main, Showavi::Working);
        QCOMPARE(prompts.BusyWidget(), busy.data());
        QCOMPARE(busy->accessibleName(), QStringLiteral("Processando..."));
        main.resize(900, 700);
        QVERIFY((busy->geometry().center() - main.rect().center()).manhattanLength() <= 2);

        // It turns while a wait lets the event loop run.
        const QImage first = busy->grab().toImage();
        QTRY_VERIFY(busy->grab().toImage() != first);

        prompts.HideBusy();
        QVERIFY(!busy);
        prompts.HideBusy(); // nothing showing: still fine
    }
};

QTEST_MAIN(TestDialogPrompts)
#include "tst_dialogprompts.moc"

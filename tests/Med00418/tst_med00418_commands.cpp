#include "Med00418.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ScreenTest.h"
#include "ServerDatabase.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TEdit.h"
#include "TLabel.h"
#include "TMaskEdit.h"
#include "TMenuItem.h"
#include "TfrmMediEfeti.h"

#include <QtTest>

using F = ScreenFixture;

// The enabled state of the commands, their menu entries and the filter controls as the user meets
// them, and the filter panel's checks on the way to a list.
class TstMed00418Commands : public ScreenTest {
    Q_OBJECT

    int nextDay_ = 0;

    QDate freshDate() { return QDate(2032, 5, 1).addDays(nextDay_++); }

    void addLines(const QString& branch, QDate date, const QStringList& services)
    {
        for (const QString& service : services)
            fx_.serverDb().insertLine(branch, date, service, QStringLiteral("2"), QStringLiteral("10"),
                                      QStringLiteral("20"));
    }

    // "insert rows confirm/cancel import | filter | search", 1 for enabled; a menu entry that differs
    // from its button is named instead.
    QString commands() const
    {
        const auto flag = [](const QObject* control) {
            const auto* widget = qobject_cast<const QWidget*>(control);
            const bool on = widget ? widget->isEnabled() : static_cast<const QAction*>(control)->isEnabled();
            return on ? QLatin1Char('1') : QLatin1Char('0');
        };
        QString out;
        for (const QList<TButtonFlat*>& group :
             {QList<TButtonFlat*>{screen_->sbtIncluir},
              QList<TButtonFlat*>{screen_->sbtAlterar, screen_->sbtExcluir, screen_->sbtProcurar,
                                  screen_->sbtVerificar},
              QList<TButtonFlat*>{screen_->sbtConfirmar, screen_->sbtCancelar}}) {
            for (TButtonFlat* button : group) {
                if (button->isEnabled() != screen_->MenuItemOf(button)->isEnabled())
                    return QStringLiteral("menu differs: ") + button->objectName();
                out += flag(button);
            }
            out += QLatin1Char(' ');
        }
        if (screen_->btnImporta->isEnabled() != screen_->mnuImpEF->isEnabled())
            return QStringLiteral("menu differs: mnuImpEF");
        out += flag(screen_->btnImporta);
        out += QStringLiteral(" | ");
        for (const QWidget* control : std::initializer_list<const QWidget*>{
                 screen_->lblFilial, screen_->medCdFilial, screen_->btpFilial, screen_->lblDtLanc,
                 screen_->depDataFatu})
            out += flag(control);
        out += QStringLiteral(" | ");
        const TColumnButtonStyle search = screen_->dbgData->Columns()[F::Code]->ButtonStyle();
        out += search == TColumnButtonStyle::cbsEllipsis ? QStringLiteral("search") : QStringLiteral("none");
        if (screen_->mnuListagem->isEnabled() || screen_->mnuConfigImpressora->isEnabled() ||
            screen_->sbtImprimir->isEnabled())
            out += QStringLiteral(" print on");
        return out;
    }

private slots:
    void stateTable_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("expected");
        QTest::newRow("list with lines") << "lines"
                                         << "1 1111 00 1 | 11111 | none";
        QTest::newRow("empty list") << "empty"
                                    << "1 0000 00 1 | 11111 | none";
        QTest::newRow("focus back in the filter") << "filter"
                                                  << "0 0000 00 0 | 11111 | none";
        QTest::newRow("inserting") << "insert"
                                   << "0 0000 11 1 | 00000 | search";
        QTest::newRow("editing") << "edit"
                                 << "0 0000 11 1 | 00000 | none";
        QTest::newRow("line stored") << "posted"
                                     << "1 1111 00 1 | 11111 | none";
    }

    void stateTable()
    {
        QFETCH(QString, situation);
        QFETCH(QString, expected);
        const QDate date = freshDate();
        if (situation != QLatin1String("empty"))
            addLines(QStringLiteral("0001"), date, {QStringLiteral("00001"), QStringLiteral("00002")});
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        if (situation == QLatin1String("filter")) {
            fx_.click(screen_->depDataFatu);
            QCOMPARE(F::focus(), screen_->depDataFatu);
        } else if (situation == QLatin1String("insert")) {
            F::press(Qt::Key_Insert);
        } else if (situation == QLatin1String("edit") || situation == QLatin1String("posted")) {
            QVERIFY(fx_.clickCell(1, F::Staff));
            F::type(QStringLiteral("5"));
            QCOMPARE(screen_->cdsEfetGest->State(), TDataSetState::dsEdit);
            if (situation == QLatin1String("posted")) {
                fx_.click(screen_->sbtConfirmar);
                // The staff changed after the total: it goes out worked out again.
                QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date).value(1),
                         QStringLiteral("00002|5.0000|10.0000|50.0000"));
            }
        }
        QCOMPARE(commands(), expected);
        QCOMPARE(prompts().errors, QStringList());
    }

    void deleteDownToAnEmptyList()
    {
        const QDate date = freshDate();
        addLines(QStringLiteral("0001"), date, {QStringLiteral("00001"), QStringLiteral("00002")});
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        prompts().answers = {false, true};
        fx_.click(screen_->sbtExcluir);
        QCOMPARE(fx_.rowCount(), 2);
        fx_.click(screen_->sbtExcluir);
        QCOMPARE(prompts().questions, QStringList({"Confirma exclusão?", "Confirma exclusão?"}));
        QCOMPARE(fx_.rowCount(), 1);
        QCOMPARE(commands(), QStringLiteral("1 1111 00 1 | 11111 | none"));

        prompts().answers = {true};
        screen_->mnuExcluir->trigger();
        QCOMPARE(fx_.rowCount(), 0);
        QCOMPARE(commands(), QStringLiteral("1 0000 00 0 | 11111 | none"));
        QVERIFY(fx_.serverDb().lines(QStringLiteral("0001"), date).isEmpty());
        QCOMPARE(prompts().errors, QStringList());
    }

    void cancelDownToAnEmptyList_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::newRow("cancel command") << false;
        QTest::newRow("cancel menu entry") << true;
    }

    void cancelDownToAnEmptyList()
    {
        QFETCH(bool, byMenu);
        const QDate date = freshDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        fx_.click(screen_->sbtIncluir);
        F::type(QStringLiteral("1"));
        QCOMPARE(commands(), QStringLiteral("0 0000 11 1 | 00000 | search"));
        if (byMenu)
            screen_->mnuCancelar->trigger();
        else
            fx_.click(screen_->sbtCancelar);
        QCOMPARE(fx_.rowCount(), 0);
        QCOMPARE(screen_->cdsEfetGest->ChangeCount(), 0);
        QCOMPARE(commands(), QStringLiteral("1 0000 00 0 | 11111 | none"));
        QVERIFY(fx_.serverDb().lines(QStringLiteral("0001"), date).isEmpty());

        // Leaving the filter panel again sets them from the list.
        fx_.click(screen_->depDataFatu);
        F::press(Qt::Key_Tab);
        QCOMPARE(commands(), QStringLiteral("1 0000 00 1 | 11111 | none"));
        QCOMPARE(prompts().errors, QStringList());
    }

    void filterChecksOnTheWayToTheList_data()
    {
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QString>("dateKeys");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focusName");
        QTest::newRow("unknown branch") << "9"
                                        << "01022032"
                                        << "Filial não cadastrada."
                                        << "medCdFilial";
        QTest::newRow("no branch") << ""
                                   << "01022032"
                                   << "Filial deve ser informada."
                                   << "medCdFilial";
        QTest::newRow("no date") << "1"
                                 << ""
                                 << "Data faturamento deve ser informada."
                                 << "depDataFatu";
        QTest::newRow("no such date") << "1"
                                      << "31022032"
                                      << "'31/02/2032' não é uma data válida."
                                      << "depDataFatu";
    }

    void filterChecksOnTheWayToTheList()
    {
        QFETCH(QString, branch);
        QFETCH(QString, dateKeys);
        QFETCH(QString, message);
        QFETCH(QString, focusName);
        fx_.click(screen_->medCdFilial);
        F::retype(branch);
        F::press(Qt::Key_Tab);
        if (message == QStringLiteral("Filial não cadastrada.")) {
            QCOMPARE(prompts().errors, QStringList{message});
            QCOMPARE(F::focus(), screen_->medCdFilial);
            QCOMPARE(screen_->medCdFilial->Text(), QStringLiteral("0009"));
            QCOMPARE(screen_->edtNmFilial->text(), QString());
            return;
        }
        QCOMPARE(F::focus(), screen_->depDataFatu);
        QCOMPARE(prompts().errors, QStringList());
        F::retype(dateKeys);
        F::press(Qt::Key_Tab);
        QCOMPARE(prompts().errors, QStringList{message});
        // The message took the activation away, as a message box does; the window manager gives it
        // back a moment later, and the focus must still be where the message sent it.
        QCOMPARE(prompts().deactivations, 1);
        QVERIFY(F::settle());
        QCOMPARE(F::focus()->objectName(), focusName);
        QVERIFY(!screen_->dtsPadrao->Enabled());
        QCOMPARE(commands(), QStringLiteral("0 0000 00 0 | 11111 | none"));
    }

    void branchSearchFillsCodeAndName()
    {
        fx_.click(screen_->medCdFilial);
        F::type(QStringLiteral("2"));
        int listed = 0;
        prompts().choices = {[&](TDataSource& source) {
            listed = source.DataSet()->RecordCount();
            return source.DataSet()->Locate(QStringLiteral("CDFILIAL"), {QStringLiteral("0003")});
        }};
        fx_.click(screen_->btpFilial);
        QCOMPARE(prompts().searchTitles, QStringList{QStringLiteral("Filial|Não há filial cadastrada.")});
        QCOMPARE(listed, 4);
        QCOMPARE(screen_->medCdFilial->Text(), QStringLiteral("0003"));
        QCOMPARE(screen_->edtNmFilial->text(), QStringLiteral("Filial Curitiba"));
        QCOMPARE(F::focus(), screen_->medCdFilial);

        // Typing empties the name at once.
        F::press(Qt::Key_Backspace);
        QCOMPARE(screen_->edtNmFilial->text(), QString());
        QCOMPARE(prompts().errors, QStringList());
    }

    void leavingTheFilterAgainReloads()
    {
        const QDate date = freshDate();
        addLines(QStringLiteral("0004"), date, {QStringLiteral("00001")});
        QVERIFY(fx_.showLines(QStringLiteral("4"), date));
        QCOMPARE(fx_.rowCount(), 1);
        addLines(QStringLiteral("0004"), date, {QStringLiteral("00008")});
        F::press(Qt::Key_F12);
        QCOMPARE(F::focus(), screen_->medCdFilial);
        F::press(Qt::Key_Tab);
        F::press(Qt::Key_Tab);
        QCOMPARE(fx_.shownLines(), QStringList({"00001|Vigilância|2,000|10,000|20,000",
                                                "00008|Segurança Eletrônica|2,000|10,000|20,000"}));
        QCOMPARE(commands(), QStringLiteral("1 1111 00 1 | 11111 | none"));
        QCOMPARE(prompts().errors, QStringList());
    }
};

QTEST_MAIN(TstMed00418Commands)
#include "tst_med00418_commands.moc"

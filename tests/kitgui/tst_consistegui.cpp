#include "Application.h"
#include "Consiste.h"
#include "EAbort.h"
#include "EConvertError.h"
#include "RecordingPrompts.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TDateEditPlus.h"
#include "TDateTimeField.h"
#include "TEdit.h"
#include "TForm.h"
#include "TMaskEdit.h"
#include "TPageControl.h"
#include "TPanel.h"
#include "TTabSheet.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// The filter panel and the grid area of a data-entry screen, in the screen's tab order, inside an
// MDI child of a main window that has a control of its own before the MDI area.
struct Screen {
    QMainWindow main;
    QLineEdit* outside = nullptr;
    TForm* form = nullptr;
    TPanel* panel = nullptr;
    TMaskEdit* branch = nullptr;
    TBtnPesquisa* search = nullptr;
    TEdit* branchName = nullptr;
    TDateEditPlus* date = nullptr;
    TEdit* clickOnly = nullptr;
    TPageControl* pages = nullptr;
    TDBGrid* grid = nullptr;

    Screen()
    {
        auto* centre = new QWidget(&main);
        auto* layout = new QVBoxLayout(centre);
        outside = new QLineEdit(centre);
        auto* mdi = new QMdiArea(centre);
        layout->addWidget(outside);
        layout->addWidget(mdi);
        main.setCentralWidget(centre);

        form = new TForm;
        auto* formLayout = new QVBoxLayout(form);
        panel = new TPanel(form);
        auto* row = new QHBoxLayout(panel);
        branch = new TMaskEdit(panel);
        branch->SetEditMask(QStringLiteral("9999;0; "));
        search = new TBtnPesquisa(panel);
        branchName = new TEdit(panel);
        branchName->setEnabled(false);
        branchName->SetTabStop(false);
        date = new TDateEditPlus(panel);
        clickOnly = new TEdit(panel);
        clickOnly->SetTabStop(false);
        for (QWidget* w : std::initializer_list<QWidget*>{branch, search, branchName, date, clickOnly})
            row->addWidget(w);
        pages = new TPageControl(form);
        auto* sheet = new TTabSheet(pages);
        sheet->SetTabVisible(false);
        grid = new TDBGrid(sheet);
        (new QVBoxLayout(sheet))->addWidget(grid);
        formLayout->addWidget(panel);
        formLayout->addWidget(pages);
        mdi->addSubWindow(form)->show();
        main.resize(800, 400);
    }
};

} // namespace

class TestConsisteGui : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts = nullptr;

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        auto owned = std::make_unique<RecordingPrompts>();
        prompts = owned.get();
        Application::instance().SetPrompts(std::move(owned));
    }

    void mensErroShowsOnceAndAbortsSilently()
    {
        bool ranOn = false;
        const bool ok = Application::instance().Guard([&] {
            Consiste::MensErro(QStringLiteral("Filial deve ser informada."), true);
            ranOn = true;
        });
        QVERIFY(!ok);
        QVERIFY(!ranOn);
        QCOMPARE(prompts->calls, QStringList{QStringLiteral("error:Filial deve ser informada.")});
    }

    void mensErroRaisesEAbort()
    {
        QVERIFY_THROWS_EXCEPTION(EAbort, Consiste::MensErro(QStringLiteral("x"), true));
    }

    void mensErroWithoutAbortReturns()
    {
        Consiste::MensErro(QStringLiteral("Aviso."), false);
        QCOMPARE(prompts->calls, QStringList{QStringLiteral("error:Aviso.")});
    }

    void dateSetText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("outcome"); // "set", "cleared" or "refused"
        QTest::addColumn<QDate>("expected");
        QTest::newRow("full") << "01/02/2026"
                              << "set" << QDate(2026, 2, 1);
        QTest::newRow("short parts") << "1/2/26"
                                     << "set" << QDate(2026, 2, 1);
        QTest::newRow("last century") << "7/12/99"
                                      << "set" << QDate(1999, 12, 7);
        QTest::newRow("blanks around") << " 7/12/1999 "
                                       << "set" << QDate(1999, 12, 7);
        QTest::newRow("leap day") << "29/02/2024"
                                  << "set" << QDate(2024, 2, 29);
        QTest::newRow("masked, two-digit year") << "01/02/26  "
                                                << "set" << QDate(2026, 2, 1);
        QTest::newRow("empty") << ""
                               << "cleared" << QDate();
        QTest::newRow("untouched mask") << "  /  /    "
                                        << "cleared" << QDate();
        QTest::newRow("no such day") << "31/02/2026"
                                     << "refused" << QDate();
        QTest::newRow("not leap") << "29/02/2023"
                                  << "refused" << QDate();
        QTest::newRow("month 13") << "15/13/2026"
                                  << "refused" << QDate();
        QTest::newRow("three-digit year") << "01/02/202"
                                          << "refused" << QDate();
        QTest::newRow("letters") << "ab/cd/efgh"
                                 << "refused" << QDate();
        QTest::newRow("iso") << "2026-02-01"
                             << "refused" << QDate();
        QTest::newRow("half typed") << "01/  /    "
                                    << "refused" << QDate();
    }

    void dateSetText()
    {
        QFETCH(QString, text);
        QFETCH(QString, outcome);
        QFETCH(QDate, expected);
        TClientDataSet cds;
        auto* field = new TDateTimeField(&cds, QStringLiteral("DTFATURAM"));
        cds.Open();
        cds.Insert();
        const TDateTime before = TDateTime::fromDate(QDate(2001, 1, 1));
        field->SetAsDateTime(before);
        if (outcome == u"refused") {
            try {
                Consiste::DateSetText(field, text);
                QFAIL("accepted");
            } catch (const EConvertError& error) {
                QCOMPARE(error.Message(), QStringLiteral("'%1' não é uma data válida.").arg(text.trimmed()));
            }
            QCOMPARE(field->AsDateTime(), before);
            return;
        }
        Consiste::DateSetText(field, text);
        if (outcome == u"cleared") {
            QVERIFY(field->IsNull());
        } else {
            QCOMPARE(field->AsDateTime(), TDateTime::fromDate(expected));
        }
    }

    void backwardsFromPageControlLandsOnDateEdit()
    {
        Screen s;
        s.main.show();
        QCOMPARE(Consiste::SelectNextControl(s.pages, false, true, false), s.date);
        // Without the tab-stop rule the click-only edit, placed after the date, comes first.
        QCOMPARE(Consiste::SelectNextControl(s.pages, false, false, false), s.clickOnly);
    }

    void skipsDisabledHiddenAndNoFocus()
    {
        Screen s;
        s.main.show();
        s.date->setEnabled(false);
        QCOMPARE(Consiste::SelectNextControl(s.pages, false, true, false), s.branch);
        s.date->setEnabled(true);
        s.date->hide();
        QCOMPARE(Consiste::SelectNextControl(s.pages, false, true, false), s.branch);
    }

    void forwardSkipsOwnChildren()
    {
        Screen s;
        s.main.show();
        QCOMPARE(Consiste::SelectNextControl(s.branch, true, true, false), s.date);
        QCOMPARE(Consiste::SelectNextControl(s.panel, true, true, false), s.grid);
        QCOMPARE(Consiste::SelectNextControl(s.pages, true, true, false), nullptr);
    }

    void staysInsideTheForm()
    {
        Screen s;
        s.main.show();
        QCOMPARE(Consiste::SelectNextControl(s.branch, false, true, false), nullptr);
        QCOMPARE(Consiste::SelectNextControl(s.branch, false, true, true), s.grid);
        QCOMPARE(Consiste::SelectNextControl(s.grid, true, true, true), s.branch);
    }

    void selectFirstControlFocusesFirstTabStop()
    {
        Screen s;
        s.main.show();
        s.main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.main));
        s.date->SetText(QStringLiteral("01/02/2026"));
        s.grid->setFocus();
        QCOMPARE(QApplication::focusWidget(), s.grid);

        // What F12 does: the container of the control before the page control, then its first control.
        QWidget* before = Consiste::SelectNextControl(s.pages, false, true, false);
        QVERIFY(before);
        QCOMPARE(before->parentWidget(), s.panel);
        Consiste::SelectFirstControl(before->parentWidget());
        QCOMPARE(QApplication::focusWidget(), s.branch);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), s.date);
        QCOMPARE(s.date->selectedText(), QStringLiteral("01/02/2026"));
    }

    void indiceColFindsTheFieldsColumn()
    {
        TDBGrid grid;
        for (const char* name : {"USR_CDSERVFILI", "NMSERVICO", "USR_QTEFETGEST"})
            grid.Columns().Add()->SetFieldName(QString::fromLatin1(name));
        QCOMPARE(Consiste::IndiceCol(grid, QStringLiteral("NMSERVICO")), 1);
        QCOMPARE(Consiste::IndiceCol(grid, QStringLiteral("USR_QTEFETGEST")), 2);
        QCOMPARE(Consiste::IndiceCol(grid, QStringLiteral("usr_cdservfili")), 0);
        QCOMPARE(Consiste::IndiceCol(grid, QStringLiteral("USR_VRTTSERVGEST")), -1);
    }

    void selectFirstControlSkipsWhatTabSkips()
    {
        Screen s;
        s.main.show();
        s.main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.main));
        s.branch->setEnabled(false);
        Consiste::SelectFirstControl(s.panel);
        QCOMPARE(QApplication::focusWidget(), s.date);
    }
};

QTEST_MAIN(TestConsisteGui)
#include "tst_consistegui.moc"

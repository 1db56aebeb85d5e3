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
    std::unique_ptr<TClientDataSet> cds;
    TDateTimeField* field = nullptr;
    const TDateTime before = TDateTime::fromDate(QDate(2001, 1, 1));

private slots:
    void init()
    {
        prompts = &installRecordingPrompts();
        cds = std::make_unique<TClientDataSet>();
        field = new TDateTimeField(cds.get(), QStringLiteral("DTFATURAM"));
        cds->Open();
        cds->Insert();
        field->SetAsDateTime(before);
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
        QCOMPARE(prompts->errors, QStringList{QStringLiteral("Filial deve ser informada.")});
        QVERIFY_THROWS_EXCEPTION(EAbort, Consiste::MensErro(QStringLiteral("x"), true));
        Consiste::MensErro(QStringLiteral("Aviso."), false); // returns
    }

    void dateSetText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("full") << QStringLiteral("01/02/2026") << QDate(2026, 2, 1);
        QTest::newRow("short parts") << QStringLiteral("1/2/26") << QDate(2026, 2, 1);
        QTest::newRow("last century") << QStringLiteral(" 7/12/99 ") << QDate(1999, 12, 7);
        QTest::newRow("leap day") << QStringLiteral("29/02/2024") << QDate(2024, 2, 29);
    }

    void dateSetText()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        Consiste::DateSetText(field, text);
        QCOMPARE(field->AsDateTime(), TDateTime::fromDate(expected));
    }

    void dateSetTextClearsOnBlank()
    {
        Consiste::DateSetText(field, QStringLiteral("  /  /    "));
        QVERIFY(field->IsNull());
    }

    void dateSetTextRefuses_data()
    {
        QTest::addColumn<QString>("text");
        for (const char* text : {"31/02/2026", "29/02/2023", "15/13/2026", "01/02/202", "ab/cd/efgh",
                                 "2026-02-01", "01/  /    "})
            QTest::newRow(text) << QString::fromLatin1(text);
    }

    void dateSetTextRefuses()
    {
        QFETCH(QString, text);
        try {
            Consiste::DateSetText(field, text);
            QFAIL("accepted");
        } catch (const EConvertError& error) {
            QCOMPARE(error.Message(), QStringLiteral("'%1' não é uma data válida.").arg(text.trimmed()));
        }
        QCOMPARE(field->AsDateTime(), before);
    }

    void selectNextControlFollowsTheTabOrder()
    {
        Screen s;
        s.main.show();
        QCOMPARE(Consiste::SelectNextControl(s.pages, false, true, false), s.date);
        // Without the tab-stop rule the click-only edit after the date comes first.
        QCOMPARE(Consiste::SelectNextControl(s.pages, false, false, false), s.clickOnly);
        QCOMPARE(Consiste::SelectNextControl(s.branch, true, true, false), s.date);
        // The panel's own controls are passed over.
        QCOMPARE(Consiste::SelectNextControl(s.panel, true, true, false), s.grid);
        s.date->setEnabled(false);
        QCOMPARE(Consiste::SelectNextControl(s.pages, false, true, false), s.branch);
    }

    void selectNextControlStaysInTheForm()
    {
        Screen s;
        s.main.show();
        QCOMPARE(Consiste::SelectNextControl(s.branch, false, true, false), nullptr);
        QCOMPARE(Consiste::SelectNextControl(s.branch, false, true, true), s.grid);
        QCOMPARE(Consiste::SelectNextControl(s.grid, true, true, true), s.branch);
    }

    void selectFirstControlAsF12Uses()
    {
        Screen s;
        s.main.show();
        s.main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.main));
        s.branch->SetText(QStringLiteral("0012"));
        s.grid->setFocus();
        QWidget* before = Consiste::SelectNextControl(s.pages, false, true, false);
        QVERIFY(before);
        Consiste::SelectFirstControl(before->parentWidget());
        QCOMPARE(QApplication::focusWidget(), s.branch);
        QCOMPARE(s.branch->selectedText(), QStringLiteral("0012")); // came in as by the keyboard
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), s.date);
    }

    void indiceColFindsTheFieldsColumn()
    {
        TDBGrid grid;
        for (const char* name : {"USR_CDSERVFILI", "NMSERVICO", "USR_QTEFETGEST"})
            grid.Columns().Add()->SetFieldName(QString::fromLatin1(name));
        QCOMPARE(Consiste::IndiceCol(grid, QStringLiteral("NMSERVICO")), 1);
        QCOMPARE(Consiste::IndiceCol(grid, QStringLiteral("usr_cdservfili")), 0);
        QCOMPARE(Consiste::IndiceCol(grid, QStringLiteral("USR_VRTTSERVGEST")), -1);
    }
};

QTEST_MAIN(TestConsisteGui)
#include "tst_consistegui.moc"

#include "Med00418.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ScreenTest.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TDateEditPlus.h"
#include "TEdit.h"
#include "TLabel.h"
#include "TMaskEdit.h"
#include "TMenuItem.h"
#include "TPageControl.h"
#include "TPanel.h"
#include "TScrollBox.h"
#include "TTabSheet.h"
#include "TfrmMediEfeti.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>
#include <QtTest>

using F = ScreenFixture;

class TstMed00418Layout : public ScreenTest {
    Q_OBJECT

    QMdiSubWindow* window() const { return qobject_cast<QMdiSubWindow*>(screen_->parentWidget()); }

private slots:
    void cleanup()
    {
        tester_.reset();
        QVERIFY(fx_.closeScreen());
        QVERIFY(fx_.prompts().errors.isEmpty());
    }

    void opensWithEveryDataCommandOff()
    {
        QCOMPARE(screen_->Caption(), QStringLiteral("Medição de Efetivos"));
        for (TButtonFlat* button :
             {screen_->sbtConfirmar, screen_->sbtCancelar, screen_->sbtIncluir, screen_->sbtAlterar,
              screen_->sbtExcluir, screen_->sbtProcurar, screen_->sbtVerificar, screen_->sbtImprimir}) {
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
            QVERIFY2(!screen_->MenuItemOf(button)->isEnabled(), qPrintable(button->objectName()));
        }
        QVERIFY(!screen_->btnImporta->isEnabled());
        QVERIFY(!screen_->mnuImpEF->isEnabled());
        QVERIFY(!screen_->mnuListagem->isEnabled());
        QVERIFY(!screen_->mnuConfigImpressora->isEnabled());
        for (TButtonFlat* button : {screen_->sbtAjuda, screen_->sbtFechar}) {
            QVERIFY(button->isEnabled());
            QVERIFY(screen_->MenuItemOf(button)->isEnabled());
        }

        // The import entry closes the maintenance menu, after a separator.
        const int entries = screen_->mnuManutencao->Count();
        QVERIFY(entries >= 2);
        QCOMPARE(screen_->mnuManutencao->Items(entries - 1), screen_->mnuImpEF);
        QCOMPARE(screen_->mnuManutencao->Items(entries - 2), screen_->mnuLinha4);
        QVERIFY(screen_->mnuLinha4->isSeparator());
        QVERIFY(screen_->mnuLinha4->isEnabled());
        QCOMPARE(screen_->mnuImpEF->text(), QStringLiteral("Importa Efetivos do &Faturamento"));

        for (QWidget* control :
             std::initializer_list<QWidget*>{screen_->lblFilial, screen_->medCdFilial, screen_->btpFilial,
                                             screen_->lblDtLanc, screen_->depDataFatu})
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        QCOMPARE(screen_->medCdFilial->Text(), QString());
        QCOMPARE(screen_->depDataFatu->Text(), QString());
        QVERIFY(!screen_->edtNmFilial->isEnabled());
        QCOMPARE(screen_->edtNmFilial->text(), QString());
        QCOMPARE(screen_->edtNmFilial->focusPolicy() & Qt::TabFocus, 0);

        QAbstractItemModelTester tester(screen_->dbgData->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(fx_.rowCount(), 0);
        QStringList titles;
        for (int column = 0; column < screen_->dbgData->model()->columnCount(); ++column)
            titles << screen_->dbgData->model()->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(titles,
                 QStringList({"Código", "Serviço", "Nº de Efetivos", "Valor Unitário", "Valor Total"}));
        QVERIFY(screen_->dbgData->Columns()[0]->ButtonStyle() != TColumnButtonStyle::cbsEllipsis);
    }

    void narrowColumnsShowWholeValues()
    {
        // Drawn for the definition's text height: a five-digit code fits its 42 pixels.
        const QFontMetrics metrics(screen_->dbgData->font());
        QVERIFY2(metrics.height() <= 14, qPrintable(QString::number(metrics.height())));
        QVERIFY(metrics.horizontalAdvance(QStringLiteral("00000")) + 4 <= screen_->dbgData->columnWidth(0));
        QVERIFY(metrics.horizontalAdvance(QStringLiteral("9.999.999,999")) + 4 <=
                screen_->dbgData->columnWidth(2));
    }

    void commandBarButtonsDoNotOverlap()
    {
        QList<QWidget*> buttons;
        for (QWidget* child : screen_->panMenu->findChildren<TButtonFlat*>())
            buttons << child;
        QCOMPARE(buttons.size(), 11);
        for (QWidget* a : buttons) {
            QVERIFY2(screen_->panMenu->rect().contains(a->geometry()), qPrintable(a->objectName()));
            for (QWidget* b : buttons)
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + QLatin1Char('/') + b->objectName()));
        }
        QVERIFY(screen_->sbtImprimir->geometry().right() < screen_->btnImporta->x());
        QVERIFY(screen_->btnImporta->geometry().right() < screen_->sbtAjuda->x());
    }

    // Measured with the font in use, whatever it is: every column title shows whole at the default
    // size, and the grid needs no sideways scrolling.
    void columnTitleShowsWhole_data()
    {
        QTest::addColumn<int>("column");
        QTest::newRow("code") << 0;
        QTest::newRow("service") << 1;
        QTest::newRow("staff") << 2;
        QTest::newRow("unit price") << 3;
        QTest::newRow("total") << 4;
    }

    void columnTitleShowsWhole()
    {
        QFETCH(int, column);
        TDBGrid* g = grid();
        const QString title = g->model()->headerData(column, Qt::Horizontal).toString();
        const int margins = 2 * g->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, g);
        const qreal text = QFontMetricsF(g->horizontalHeader()->font()).horizontalAdvance(title);
        QVERIFY2(text + margins <= g->columnWidth(column), qPrintable(QStringLiteral("%1: %2 + %3 > %4")
                                                                          .arg(title)
                                                                          .arg(text)
                                                                          .arg(margins)
                                                                          .arg(g->columnWidth(column))));
        QVERIFY2(
            g->horizontalHeader()->length() <= g->viewport()->width(),
            qPrintable(
                QStringLiteral("%1 > %2").arg(g->horizontalHeader()->length()).arg(g->viewport()->width())));
        QVERIFY(!g->horizontalScrollBar()->isVisible());
    }

    void serviceColumnTakesTheRoomTheWindowGives()
    {
        QMdiSubWindow* window = qobject_cast<QMdiSubWindow*>(screen_->parentWidget());
        const int service = grid()->columnWidth(1);
        const int staff = grid()->columnWidth(2);
        window->resize(window->width() + 120, window->height());
        QTRY_COMPARE(grid()->columnWidth(1), service + 120);
        QCOMPARE(grid()->columnWidth(2), staff);
        window->resize(window->width() - 120, window->height());
        QTRY_COMPARE(grid()->columnWidth(1), service);
    }

    void labelShowsWholeBeforeItsControl_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("branch") << "lblFilial";
        QTest::newRow("billing date") << "lblDtLanc";
    }

    void labelShowsWholeBeforeItsControl()
    {
        QFETCH(QString, label);
        const auto* caption = screen_->findChild<TLabel*>(label);
        QVERIFY(caption);
        const qreal text = QFontMetricsF(caption->font()).horizontalAdvance(caption->text());
        QVERIFY2(text <= caption->contentsRect().width(),
                 qPrintable(QStringLiteral("%1 > %2").arg(text).arg(caption->contentsRect().width())));
        QVERIFY(caption->geometry().right() < caption->FocusControl()->x());
    }

    void codeFitsItsEditorWithTheSearchButton()
    {
        QVERIFY(fx_.showLines(QStringLiteral("1"), QDate(2031, 3, 10)));
        fx_.click(screen_->sbtIncluir);
        const QLineEdit* editor = grid()->InplaceEditor();
        QTRY_VERIFY(editor->isVisible());
        const int room = editor->width() - editor->textMargins().left() - editor->textMargins().right() - 4;
        QVERIFY2(editor->fontMetrics().horizontalAdvance(QStringLiteral("00000")) <= room,
                 qPrintable(QString::number(room)));
        F::press(Qt::Key_Escape);
    }

    void branchCodeTakesFourDigitsAtMost_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("four digits") << "1234"
                                     << "1234";
        QTest::newRow("a fifth digit") << "98765"
                                       << "9876";
        QTest::newRow("letters among digits") << "1a2b3"
                                              << "123";
        QTest::newRow("letters only") << "abcd"
                                      << "";
        QTest::newRow("signs") << "-1.2"
                               << "12";
    }

    void branchCodeTakesFourDigitsAtMost()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        fx_.click(screen_->medCdFilial, QPoint(2, screen_->medCdFilial->height() / 2));
        QCOMPARE(ScreenFixture::focus(), screen_->medCdFilial);
        ScreenFixture::type(typed);
        QCOMPARE(screen_->medCdFilial->Text(), shown);
    }

    void clickingIntoTheEmptyBranchCodeAndTyping()
    {
        fx_.click(screen_->medCdFilial);
        QCOMPARE(ScreenFixture::focus(), screen_->medCdFilial);
        ScreenFixture::type(QStringLiteral("12"));
        QCOMPARE(screen_->medCdFilial->Text(), QStringLiteral("12"));
    }

    void tabFromTheBranchGoesToTheDate()
    {
        fx_.click(screen_->medCdFilial);
        ScreenFixture::retype(QStringLiteral("2"));
        ScreenFixture::press(Qt::Key_Tab);
        QCOMPARE(ScreenFixture::focus(), screen_->depDataFatu);
        QCOMPARE(screen_->medCdFilial->Text(), QStringLiteral("0002"));
        QCOMPARE(screen_->edtNmFilial->text(), QStringLiteral("Filial Campinas"));
        ScreenFixture::press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(ScreenFixture::focus(), screen_->medCdFilial);
        // Coming back by keyboard selects the code, so typing replaces it.
        ScreenFixture::type(QStringLiteral("3"));
        QCOMPARE(screen_->medCdFilial->Text(), QStringLiteral("3"));
        QCOMPARE(screen_->edtNmFilial->text(), QString());
    }

    void pageControlShowsTheGridWithoutATab()
    {
        QVERIFY(!screen_->pgcPadrao->TabBar()->isVisible());
        QVERIFY(screen_->tsh->isVisible());
        QVERIFY(screen_->dbgData->isVisible());
        QCOMPARE(screen_->pgcPadrao->ActivePage(), screen_->tsh);
        // The grid starts at the top of the page control: no room is kept for a tab.
        const QPoint gridTop = screen_->dbgData->mapTo(screen_->pgcPadrao, QPoint(0, 0));
        QVERIFY2(gridTop.y() <= 2, qPrintable(QString::number(gridTop.y())));
    }

    void resizingKeepsTheFilterAndGivesTheGridTheRest_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("larger") << QSize(860, 520);
        QTest::newRow("wider, lower") << QSize(820, 260);
        QTest::newRow("smaller") << QSize(560, 300);
    }

    void resizingKeepsTheFilterAndGivesTheGridTheRest()
    {
        QFETCH(QSize, size);
        QCOMPARE(screen_->panFiltro->height(), 60);
        const QRect gridAtStart(screen_->dbgData->mapTo(screen_, QPoint(0, 0)), screen_->dbgData->size());
        const QSize marginAtStart = screen_->size() - gridAtStart.size();

        window()->resize(size);
        QCoreApplication::processEvents();
        QCOMPARE(window()->size(), size);
        QCOMPARE(screen_->panFiltro->height(), 60);
        QCOMPARE(screen_->panFiltro->y(), screen_->panMenu->geometry().bottom() + 1);
        QCOMPARE(screen_->panFiltro->width(), screen_->width());
        QCOMPARE(screen_->pgcPadrao->y(), screen_->panFiltro->geometry().bottom() + 1);
        QCOMPARE(screen_->pgcPadrao->width(), screen_->width());
        QCOMPARE(screen_->pgcPadrao->geometry().bottom(), screen_->height() - 1);
        const QRect grid(screen_->dbgData->mapTo(screen_, QPoint(0, 0)), screen_->dbgData->size());
        QCOMPARE(grid.topLeft(), gridAtStart.topLeft());
        QCOMPARE(screen_->size() - grid.size(), marginAtStart);
        QVERIFY(grid.bottom() >= screen_->height() - 4);
        // Filter controls keep their place.
        QCOMPARE(screen_->medCdFilial->geometry(), QRect(121, 4, 40, 21));
        QCOMPARE(screen_->depDataFatu->geometry(), QRect(121, 32, 100, 21));
    }
};

QTEST_MAIN(TstMed00418Layout)
#include "tst_med00418_layout.moc"

#include "RecordingPrompts.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TForm.h"
#include "TestLines.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QtTest>

class TstDBGridView : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm> form_;
    TDBGrid* grid_ = nullptr;
    std::unique_ptr<TestLines> lines_;
    std::unique_ptr<QAbstractItemModelTester> tester_;

    QString shown(int row, int column) const { return grid_->model()->index(row, column).data().toString(); }
    Qt::Alignment alignment(int row, int column) const
    {
        return grid_->model()->index(row, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    }
    QString title(int column) const { return grid_->model()->headerData(column, Qt::Horizontal).toString(); }

private slots:
    void init()
    {
        installRecordingPrompts();
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        form_ = std::make_unique<TForm>();
        form_->resize(500, 300);
        grid_ = new TDBGrid(form_.get());
        grid_->SetAlign(TAlign::alClient);
        lines_ = std::make_unique<TestLines>(form_.get());
        tester_ = std::make_unique<QAbstractItemModelTester>(
            grid_->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid_->SetDataSource(lines_->source);
        lines_->loadThree();
    }

    void cleanup()
    {
        tester_.reset();
        form_.reset();
    }

    void defaultColumnsShowEveryFieldWithItsLabelAndFormat()
    {
        QCOMPARE(grid_->model()->rowCount(), 3);
        QCOMPARE(grid_->model()->columnCount(), 4);
        QCOMPARE(title(0), QStringLiteral("Código"));
        QCOMPARE(title(3), QStringLiteral("PRICE"));
        QCOMPARE(shown(0, 0), QStringLiteral("00001"));
        QCOMPARE(shown(0, 2), QStringLiteral("1.234,500"));
        QCOMPARE(shown(1, 3), QStringLiteral("20,500"));
        QCOMPARE(alignment(0, 2) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QCOMPARE(alignment(0, 1) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    }

    void definedColumnsTakeTheirOwnTitleWidthAndAlignment()
    {
        TColumns& columns = grid_->Columns();
        TColumn* code = columns.Add();
        code->SetFieldName(QStringLiteral("CODE"));
        code->SetWidth(42);
        TColumn* qty = columns.Add();
        qty->SetFieldName(QStringLiteral("QTY"));
        qty->Title().SetAlignment(Qt::AlignRight);
        TColumn* name = columns.Add();
        name->SetFieldName(QStringLiteral("NAME"));
        name->Title().SetCaption(QStringLiteral("Nome"));
        QCOMPARE(grid_->model()->columnCount(), 3);
        QCOMPARE(title(1), QStringLiteral("Nº de Efetivos"));
        QCOMPARE(title(2), QStringLiteral("Nome"));
        QCOMPARE(grid_->columnWidth(0), 42);
        // The default width fits a 20-character name.
        QVERIFY(grid_->columnWidth(2) >= 20 * grid_->fontMetrics().horizontalAdvance(QLatin1Char('0')));
        QCOMPARE(grid_->model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                     Qt::AlignHorizontal_Mask,
                 Qt::AlignRight);
        QCOMPARE(shown(2, 1), QStringLiteral("3,000"));
        QCOMPARE(grid_->SelectedField(), lines_->code);
    }

    void detachedWhileTheSourceIsDisabledOrTheSetClosed()
    {
        lines_->source->SetEnabled(false);
        QCOMPARE(grid_->model()->rowCount(), 0);
        QCOMPARE(grid_->model()->columnCount(), 4);
        QCOMPARE(title(0), QStringLiteral("Código"));
        lines_->cds->Next(); // moves behind the grid's back, unseen
        lines_->source->SetEnabled(true);
        QCOMPARE(grid_->model()->rowCount(), 3);
        QCOMPARE(grid_->currentIndex().row(), 1);
        lines_->cds->Close();
        QCOMPARE(grid_->model()->rowCount(), 0);
    }

    void rowCursorFollowsTheDataSet()
    {
        lines_->cds->Last();
        QCOMPARE(grid_->currentIndex().row(), 2);
        lines_->cds->Insert();
        QCOMPARE(grid_->model()->rowCount(), 4);
        QCOMPARE(grid_->currentIndex().row(), 2);
        QCOMPARE(grid_->model()->headerData(2, Qt::Vertical).toString(), QStringLiteral("*"));
        lines_->cds->Cancel();
        QCOMPARE(grid_->model()->rowCount(), 3);
        lines_->cds->First();
        lines_->cds->Delete();
        QCOMPARE(shown(0, 0), QStringLiteral("00002"));
        QCOMPARE(grid_->currentIndex().row(), 0);
    }

    void clickingARowMovesTheDataSet()
    {
        form_->show();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        const QRect cell = grid_->visualRect(grid_->model()->index(2, 1));
        QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, {},
                          grid_->viewport()->mapTo(form_.get(), cell.center()));
        QCOMPARE(lines_->cds->RecNo(), 3);
        QCOMPARE(grid_->SelectedIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), grid_);
    }

    void tenThousandLinesLoadAndPaint()
    {
        QList<Record> rows;
        rows.reserve(10000);
        for (int i = 0; i < 10000; ++i)
            rows << TestLines::line(QString::number(i).rightJustified(5, u'0'), QStringLiteral("Serviço"), i,
                                    1.5);
        tester_.reset(); // the tester reads every cell: not what a user's grid does
        lines_->load(rows);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        QCOMPARE(grid_->model()->rowCount(), 10000);
        QVERIFY(!grid_->grab().isNull());
        lines_->cds->Last();
        QCOMPARE(grid_->currentIndex().row(), 9999);
        QVERIFY(grid_->viewport()->rect().intersects(grid_->visualRect(grid_->currentIndex())));
    }
};

QTEST_MAIN(TstDBGridView)
#include "tst_dbgridview.moc"

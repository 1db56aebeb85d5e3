#include "TableDialog.h"

#include "Application.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

TableDialog::TableDialog(const QString& title, const QStringList& headers, const QList<QStringList>& rows,
                         QWidget* parent)
    : TableDialog(title, headers, TableRows{rows, false}, {}, parent)
{}

TableDialog::TableDialog(const QString& title, const QStringList& headers, const TableRows& first,
                         TableRows::Source next, QWidget* parent)
    : QDialog(parent), next_(std::move(next))
{
    setWindowTitle(title);
    table_ = new QTableWidget(0, int(headers.size()), this);
    table_->setObjectName(QStringLiteral("table"));
    table_->setHorizontalHeaderLabels(headers);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    append(first.rows);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (next_) {
        more_ = buttons->addButton(QStringLiteral("Mostrar mais"), QDialogButtonBox::ActionRole);
        more_->setObjectName(QStringLiteral("btnMais"));
        more_->setEnabled(first.more);
        connect(more_, &QPushButton::clicked, this,
                [this] { Application::instance().Guard([this] { showMore(); }); });
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    fitToColumns();
}

void TableDialog::append(const QList<QStringList>& rows)
{
    const int columns = table_->columnCount();
    for (const QStringList& row : rows) {
        const int at = table_->rowCount();
        table_->insertRow(at);
        for (int column = 0; column < row.size() && column < columns; ++column)
            table_->setItem(at, column, new QTableWidgetItem(row[column]));
    }
    table_->resizeColumnsToContents();
}

void TableDialog::showMore()
{
    // Disabled while the page is read, and for good when it was the last or the read failed.
    more_->setEnabled(false);
    const int firstNew = table_->rowCount();
    const TableRows page = next_();
    append(page.rows);
    more_->setEnabled(page.more);
    if (firstNew < table_->rowCount())
        table_->scrollToItem(table_->item(firstNew, 0), QAbstractItemView::PositionAtTop);
}

// Every column in view at once where the screen allows: a history's "after" values are its last
// columns, and a scroll bar at the default size hid them.
void TableDialog::fitToColumns()
{
    const int frame = 2 * table_->frameWidth();
    const int wanted = table_->horizontalHeader()->length() +
                       table_->verticalScrollBar()->sizeHint().width() + frame +
                       layout()->contentsMargins().left() + layout()->contentsMargins().right();
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    const QRect available = screen->availableGeometry();
    resize(qMin(qMax(wanted, 480), available.width()), qMin(360, available.height()));
}

#include "TableDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

TableDialog::TableDialog(const QString& title, const QStringList& headers, const QList<QStringList>& rows,
                         QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    auto* table = new QTableWidget(int(rows.size()), int(headers.size()), this);
    table->setObjectName(QStringLiteral("table"));
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < rows[row].size() && column < headers.size(); ++column)
            table->setItem(row, column, new QTableWidgetItem(rows[row][column]));
    }
    table->resizeColumnsToContents();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table);
    layout->addWidget(buttons);
    resize(720, 360);
}

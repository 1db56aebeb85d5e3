#include "TPrintDialog.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

TPrintDialog::TPrintDialog(QObject* parent) : QObject(parent) {}

bool TPrintDialog::Execute()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, qobject_cast<QWidget*>(parent()));
    return dialog.exec() == QDialog::Accepted;
}

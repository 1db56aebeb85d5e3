#include "TPrinterSetupDialog.h"

#include <QPageSetupDialog>
#include <QPrinter>
#include <QWidget>

TPrinterSetupDialog::TPrinterSetupDialog(QObject* parent) : QObject(parent) {}

bool TPrinterSetupDialog::Execute()
{
    QPrinter printer;
    QPageSetupDialog dialog(&printer, qobject_cast<QWidget*>(parent()));
    return dialog.exec() == QDialog::Accepted;
}

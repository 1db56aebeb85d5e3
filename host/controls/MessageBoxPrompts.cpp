#include "MessageBoxPrompts.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

} // namespace

void MessageBoxPrompts::ShowError(const QString& message)
{
    QMessageBox::critical(dialogParent(), QApplication::applicationDisplayName(), message);
}

bool MessageBoxPrompts::Confirm(const QString& question)
{
    return QMessageBox::question(dialogParent(), QApplication::applicationDisplayName(), question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

UserPrompts::OpenLineAnswer MessageBoxPrompts::AskOpenLine(const QString& question)
{
    switch (QMessageBox::question(dialogParent(), QApplication::applicationDisplayName(), question,
                                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                  QMessageBox::Save)) {
    case QMessageBox::Save:
        return OpenLineAnswer::Save;
    case QMessageBox::Discard:
        return OpenLineAnswer::Discard;
    default:
        return OpenLineAnswer::Stay;
    }
}

bool MessageBoxPrompts::ChooseRecord(TDataSource&, const QString& title, const QString&)
{
    QMessageBox::information(dialogParent(), title, QStringLiteral("Pesquisa não disponível."));
    return false;
}

void MessageBoxPrompts::ShowBusy(QWidget*, int)
{
    if (busy_)
        return;
    busy_ = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

void MessageBoxPrompts::HideBusy()
{
    if (!busy_)
        return;
    busy_ = false;
    QApplication::restoreOverrideCursor();
}

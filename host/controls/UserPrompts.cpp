#include "UserPrompts.h"

#include "TableDialog.h"

#include <QApplication>
#include <QFileDialog>

UserPrompts::~UserPrompts() = default;

void UserPrompts::ShowBusyFor(QWidget* over, int kind, const QString&)
{
    ShowBusy(over, kind);
}

void UserPrompts::ShowTable(const QString& title, const QStringList& headers, const QList<QStringList>& rows)
{
    TableDialog dialog(title, headers, rows, QApplication::activeWindow());
    dialog.exec();
}

void UserPrompts::ShowTable(const QString& title, const QStringList& headers, const TableRows& first,
                            const TableRows::Source& next)
{
    TableDialog dialog(title, headers, first, next, QApplication::activeWindow());
    dialog.exec();
}

bool UserPrompts::ShowProgress(QWidget*, const QString&, qsizetype, qsizetype)
{
    return true;
}

void UserPrompts::HideProgress() {}

QString UserPrompts::AskSaveFileName(const QString& title, const QString& suggested, const QString& filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, suggested, filter);
}

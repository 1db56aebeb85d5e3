#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

// A modal dialog showing rows of text under column titles, read-only, with a button to close it.
class TableDialog : public QDialog {
    Q_OBJECT

public:
    TableDialog(const QString& title, const QStringList& headers, const QList<QStringList>& rows,
                QWidget* parent = nullptr);
};

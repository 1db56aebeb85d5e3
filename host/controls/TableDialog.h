#pragma once

#include "TableRows.h"
#include "host_controls_export.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class QPushButton;
class QTableWidget;

// A modal dialog showing rows of text under column titles, read-only, with a button to close it. It
// opens wide enough for every column, within the screen's available area. Given a source of further
// pages, it also has "Mostrar mais", which appends the next page until the source has no more.
class HOST_CONTROLS_EXPORT TableDialog : public QDialog {
    Q_OBJECT

public:
    TableDialog(const QString& title, const QStringList& headers, const QList<QStringList>& rows,
                QWidget* parent = nullptr);
    TableDialog(const QString& title, const QStringList& headers, const TableRows& first,
                TableRows::Source next, QWidget* parent = nullptr);

private:
    void append(const QList<QStringList>& rows);
    void showMore();
    void fitToColumns();

    QTableWidget* table_ = nullptr;
    QPushButton* more_ = nullptr;
    TableRows::Source next_;
};

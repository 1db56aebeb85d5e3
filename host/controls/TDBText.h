#pragma once

#include "TDataSource.h"
#include "host_controls_export.h"

#include <QLabel>
#include <QPointer>

// Shows one field of the current line of a data source's data set, with the field's display text;
// empty while the source is inactive or the field is missing.
class HOST_CONTROLS_EXPORT TDBText : public QLabel {
    Q_OBJECT

public:
    explicit TDBText(QWidget* parent = nullptr);

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    QString DataField() const { return dataField_; }
    void SetDataField(const QString& field);
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

private:
    void relink();
    void refresh();

    QPointer<TDataSource> source_;
    QString dataField_;
    QList<QMetaObject::Connection> links_;
};

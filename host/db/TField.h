#pragma once

#include "Currency.h"
#include "FieldDef.h"
#include "TDateTime.h"
#include "TEvent.h"
#include "host_db_export.h"

#include <QObject>
#include <QVariant>

class TDataSet;

// A column of a data set, reading and writing the value of the data set's current line.
// Created with its data set as parent, while the data set is closed; the objectName is the component
// name (record set plus field name), FieldName() the column's name.
class HOST_DB_EXPORT TField : public QObject {
    Q_OBJECT

public:
    ~TField() override;

    TDataSet* DataSet() const { return dataSet_; }
    const FieldDef& Def() const { return def_; }
    int Index() const;

    QString FieldName() const { return def_.name; }
    TFieldType DataType() const { return def_.type; }
    int Size() const { return def_.size; }
    QString Origin() const { return def_.origin; }
    void SetOrigin(const QString& origin);

    // The field name when no label was given.
    QString DisplayLabel() const;
    void SetDisplayLabel(const QString& label) { displayLabel_ = label; }
    QString DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const QString& format) { displayFormat_ = format; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    // Numbers are shown right-aligned.
    virtual bool IsNumeric() const { return false; }

    // Reading gives the current line's value (null with no current line). Writing needs the data set
    // in edit or insert, brings the value to the field's stored form (or raises EDatabaseError naming
    // the field), marks the line modified and raises OnChange.
    QVariant Value() const;
    void SetValue(const QVariant& value);
    bool IsNull() const { return Value().isNull(); }
    void Clear() { SetValue(QVariant()); }

    // Text as a user edits it, in the default locale; empty for null. Writing an empty text clears.
    virtual QString AsString() const;
    virtual void SetAsString(const QString& text);
    // Text as a data-aware control shows it: DisplayFormat applied, the default locale's separators.
    virtual QString DisplayText() const;

    // Null reads as 0. A value of another kind is converted, or raises EConvertError.
    double AsFloat() const;
    void SetAsFloat(double value);
    Currency AsCurrency() const;
    void SetAsCurrency(Currency value);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime value);

    // Asks the data-aware control showing this field to select it and take the focus.
    void FocusControl();

    TEvent<TField*> OnChange;

protected:
    TField(TDataSet* dataSet, FieldDef def);

    // Converts a value of any supported kind to this field's kind, or raises EConvertError.
    virtual QVariant convert(const QVariant& value) const = 0;
    virtual QVariant fromText(const QString& text) const = 0;

private:
    TDataSet* dataSet_;
    FieldDef def_;
    QString displayLabel_;
    QString displayFormat_;
    bool visible_ = true;
};

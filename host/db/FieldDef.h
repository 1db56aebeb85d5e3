#pragma once

#include "TFieldType.h"
#include "host_db_export.h"

#include <QList>
#include <QString>
#include <QVariant>

class Currency;
class TDateTime;

// The shape of one field: what a data packet declares and what a value must fit.
struct HOST_DB_EXPORT FieldDef {
    QString name;
    TFieldType type = TFieldType::ftString;
    int size = 0;      // characters of a string field
    int precision = 0; // total digits of a BCD field
    int scale = 0;     // fractional digits of a BCD field
    QString origin;    // "TABLE.COLUMN", or empty

    // The value in its stored form: a BCD value rounded half to even at the scale. A null value passes.
    // A value of the wrong kind, a text longer than the size or a BCD value with more integer digits
    // than precision minus scale raises EDatabaseError naming the field.
    QVariant normalize(const QVariant& value) const;

    // The same checks for a value already of this field's kind.
    void checkText(const QString& text) const;
    void checkDateTime(TDateTime value) const;
    Currency fitBcd(Currency value) const;
    void checkFloat(double value) const;

    friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

using FieldDefs = QList<FieldDef>;

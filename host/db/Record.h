#pragma once

#include <QList>
#include <QVariant>

// The values of one line, by field position. A null value is an invalid QVariant; otherwise a string
// field holds a QString, a date-time field a TDateTime, a BCD field a Currency and a float field a double.
using Record = QList<QVariant>;

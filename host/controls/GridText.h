#pragma once

#include "host_controls_export.h"

#include <QByteArray>
#include <QString>

class QLocale;
class TDBGrid;

// A grid's content as text for other programs, in the grid's visible columns and order, read from its
// data set without moving it. Text copies carry the column titles and the values as the grid shows them,
// tab-separated (spreadsheets paste them into columns).
namespace GridText {

// The title of the selected column and, below it, the current line's value in it.
HOST_CONTROLS_EXPORT QString currentCell(const TDBGrid& grid);
// A title row and every line.
HOST_CONTROLS_EXPORT QString lines(const TDBGrid& grid);
// A title row and every line as CSV in UTF-8 with a byte-order mark. Under a locale whose decimal
// separator is the comma (Portuguese among them), fields are separated by ';'; otherwise by ','.
// Numbers carry the field's decimals and the locale's decimal separator, no grouping.
HOST_CONTROLS_EXPORT QByteArray csv(const TDBGrid& grid, const QLocale& locale);

} // namespace GridText

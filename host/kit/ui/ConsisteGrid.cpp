#include "Consiste.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"

namespace Consiste {

int IndiceCol(TDBGrid& grid, const QString& fieldName)
{
    const TColumns& columns = grid.Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        // Field names are not case-sensitive, as in the database.
        if (columns[i]->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace Consiste

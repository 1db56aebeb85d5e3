#include "GridText.h"

#include "Currency.h"
#include "FieldText.h"
#include "TBCDField.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TDataSet.h"
#include "TDataSource.h"
#include "TField.h"

#include <QLocale>

namespace {

QList<const TColumn*> shownColumns(const TDBGrid& grid)
{
    QList<const TColumn*> out;
    for (int i = 0; i < grid.Columns().Count(); ++i) {
        const TColumn* column = grid.Columns()[i];
        if (column->Visible() && column->Field())
            out << column;
    }
    return out;
}

const TDataSet* dataSetOf(const TDBGrid& grid)
{
    const TDataSource* source = grid.DataSource();
    const TDataSet* dataSet = source ? source->DataSet() : nullptr;
    return dataSet && dataSet->Active() ? dataSet : nullptr;
}

QStringList titles(const QList<const TColumn*>& columns)
{
    QStringList out;
    for (const TColumn* column : columns)
        out << column->Title().Caption();
    return out;
}

// Tabs and line breaks inside a value would split it across cells.
QString cellText(QString text)
{
    return text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString csvField(QString text, QChar separator)
{
    if (!text.contains(separator) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString csvValue(const TField& field, const QVariant& value, const QLocale& locale)
{
    if (value.isNull())
        return {};
    if (const auto* bcd = qobject_cast<const TBCDField*>(&field))
        return value.value<Currency>().toString(bcd->Scale(), false, locale);
    return value.toString();
}

} // namespace

namespace GridText {

QString currentCell(const TDBGrid& grid)
{
    const TDataSet* dataSet = dataSetOf(grid);
    const int index = grid.SelectedIndex();
    if (!dataSet || dataSet->IsEmpty() || index < 0 || index >= grid.Columns().Count())
        return {};
    const TColumn* column = grid.Columns()[index];
    const TField* field = column->Field();
    if (!field)
        return {};
    return column->Title().Caption() + QLatin1Char('\n') + cellText(field->DisplayText()) + QLatin1Char('\n');
}

QString lines(const TDBGrid& grid)
{
    const TDataSet* dataSet = dataSetOf(grid);
    if (!dataSet)
        return {};
    const QList<const TColumn*> columns = shownColumns(grid);
    QString out = titles(columns).join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int row = 0; row < dataSet->RecordCount(); ++row) {
        QStringList cells;
        for (const TColumn* column : columns) {
            const TField& field = *column->Field();
            cells << cellText(FieldText::Display(field, dataSet->valueAt(row, field.Index())));
        }
        out += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return out;
}

QByteArray csv(const TDBGrid& grid, const QLocale& locale)
{
    const TDataSet* dataSet = dataSetOf(grid);
    if (!dataSet)
        return {};
    const QChar separator = locale.decimalPoint() == QLatin1String(",") ? QLatin1Char(';') : QLatin1Char(',');
    const QList<const TColumn*> columns = shownColumns(grid);
    QStringList header;
    for (const QString& title : titles(columns))
        header << csvField(title, separator);
    QString out = header.join(separator) + QStringLiteral("\r\n");
    for (int row = 0; row < dataSet->RecordCount(); ++row) {
        QStringList cells;
        for (const TColumn* column : columns) {
            const TField& field = *column->Field();
            cells << csvField(csvValue(field, dataSet->valueAt(row, field.Index()), locale), separator);
        }
        out += cells.join(separator) + QStringLiteral("\r\n");
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

} // namespace GridText

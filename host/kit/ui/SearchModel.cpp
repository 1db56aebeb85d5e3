#include "SearchModel.h"

#include "DisplayFormat.h"
#include "TDataSet.h"
#include "TField.h"

#include <QLocale>

namespace {

// Lower case without accents: "Serviço" and "SERVICO" read alike.
QString fold(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (!c.isMark())
            folded.append(c);
    }
    return folded.toCaseFolded();
}

// The value as the field would show it, without moving the data set's cursor.
QString displayText(const TField& field, const QVariant& value)
{
    if (value.isNull())
        return {};
    if (value.metaType() == QMetaType::fromType<Currency>())
        return DisplayFormat::formatCurrency(value.value<Currency>(), field.DisplayFormat(), QLocale());
    if (value.metaType() == QMetaType::fromType<double>())
        return DisplayFormat::formatFloat(value.toDouble(), field.DisplayFormat(), QLocale());
    if (value.metaType() == QMetaType::fromType<TDateTime>()) {
        const TDateTime dateTime = value.value<TDateTime>();
        return dateTime.hasTime() ? QLocale().toString(dateTime.toDateTime(), QLocale::ShortFormat)
                                  : QLocale().toString(dateTime.toDate(), QLocale::ShortFormat);
    }
    return value.toString();
}

} // namespace

SearchModel::SearchModel(const TDataSet& dataSet, QObject* parent) : QAbstractTableModel(parent)
{
    QList<const TField*> fields;
    for (const TField* field : dataSet.Fields()) {
        if (field->Visible()) {
            fields.append(field);
            titles_.append(field->DisplayLabel());
            alignments_.append(field->IsNumeric() ? Qt::AlignRight | Qt::AlignVCenter
                                                  : Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    const int count = dataSet.Active() ? dataSet.RecordCount() : 0;
    lines_.reserve(count);
    shown_.reserve(count);
    for (int row = 0; row < count; ++row) {
        Line line;
        for (const TField* field : fields)
            line.texts.append(displayText(*field, dataSet.valueAt(row, field->Index())));
        line.folded = fold(line.texts.join(QChar(0x1f)));
        lines_.append(std::move(line));
        shown_.append(row);
    }
}

void SearchModel::setFilter(const QString& text)
{
    const QString wanted = fold(text.trimmed());
    beginResetModel();
    shown_.clear();
    for (int row = 0; row < lines_.size(); ++row) {
        if (lines_[row].folded.contains(wanted))
            shown_.append(row);
    }
    endResetModel();
}

int SearchModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown_.size());
}

int SearchModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(titles_.size());
}

QVariant SearchModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return lines_[shown_[index.row()]].texts[index.column()];
    if (role == Qt::TextAlignmentRole)
        return alignments_[index.column()].toInt();
    return {};
}

QVariant SearchModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return titles_.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

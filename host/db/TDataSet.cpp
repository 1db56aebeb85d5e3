#include "TDataSet.h"

#include "EDatabaseError.h"
#include "TDataSource.h"
#include "TField.h"

namespace {

bool editing(TDataSetState state)
{
    return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

} // namespace

TDataSet::TDataSet(QObject* parent) : QObject(parent) {}

TDataSet::~TDataSet()
{
    // Fields and data sources ask this set for things while they go away: let them go first.
    const auto fields = fields_;
    qDeleteAll(fields);
    for (TDataSource* source : std::as_const(dataSources_))
        source->dataSetDestroyed();
}

FieldDefs TDataSet::FieldDefList() const
{
    FieldDefs defs;
    defs.reserve(fields_.size());
    for (const TField* field : fields_)
        defs.append(field->Def());
    return defs;
}

TField* TDataSet::FindField(QStringView fieldName) const
{
    for (TField* field : fields_)
        if (field->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return field;
    return nullptr;
}

TField* TDataSet::FieldByName(QStringView fieldName) const
{
    if (TField* field = FindField(fieldName))
        return field;
    throw EDatabaseError(
        QStringLiteral("Campo '%1' não encontrado em '%2'.").arg(fieldName.toString(), objectName()));
}

void TDataSet::SetActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

void TDataSet::Open()
{
    if (Active())
        return;
    if (fields_.isEmpty())
        throw EDatabaseError(QStringLiteral("'%1' não tem campos.").arg(objectName()));
    if (rows_.columnCount() == 0)
        rows_ = RecordTable(FieldDefList());
    current_ = rows_.isEmpty() ? -1 : 0;
    bof_ = true;
    eof_ = rows_.isEmpty();
    if (!ControlsDisabled())
        emit contentReset();
    setState(TDataSetState::dsBrowse);
    AfterOpen(this);
}

void TDataSet::Close()
{
    if (!Active())
        return;
    discardPending(TDataSetState::dsInactive);
    rows_ = RecordTable();
    ids_.clear();
    current_ = -1;
    bof_ = eof_ = true;
    contentReplaced();
    if (!ControlsDisabled())
        emit contentReset();
    setState(TDataSetState::dsInactive);
}

void TDataSet::SetRecNo(int recNo)
{
    checkActive();
    checkBrowseMode();
    moveTo(recNo - 1);
    bof_ = eof_ = rows_.isEmpty();
}

void TDataSet::First()
{
    checkActive();
    checkBrowseMode();
    moveTo(0);
    bof_ = true;
    eof_ = rows_.isEmpty();
}

void TDataSet::Last()
{
    checkActive();
    checkBrowseMode();
    moveTo(RecordCount() - 1);
    eof_ = true;
    bof_ = rows_.isEmpty();
}

void TDataSet::Next()
{
    checkActive();
    checkBrowseMode();
    if (current_ + 1 < RecordCount()) {
        moveTo(current_ + 1);
        bof_ = eof_ = false;
    } else {
        eof_ = true;
    }
}

void TDataSet::Prior()
{
    checkActive();
    checkBrowseMode();
    if (current_ > 0) {
        moveTo(current_ - 1);
        bof_ = eof_ = false;
    } else {
        bof_ = true;
    }
}

bool TDataSet::Locate(const QString& keyFields, const QVariantList& values)
{
    checkActive();
    const QStringList names = keyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (names.size() != values.size())
        throw EDatabaseError(
            QStringLiteral("Locate: %1 campo(s) e %2 valor(es).").arg(names.size()).arg(values.size()));
    QList<int> indexes;
    for (const QString& name : names)
        indexes.append(FieldByName(name.trimmed())->Index());
    checkBrowseMode();
    for (int row = 0; row < RecordCount(); ++row) {
        bool match = true;
        for (int k = 0; k < indexes.size() && match; ++k)
            match = rows_.value(row, indexes[k]) == values[k];
        if (match) {
            moveTo(row);
            bof_ = eof_ = false;
            return true;
        }
    }
    return false;
}

void TDataSet::Insert()
{
    checkWritable();
    checkBrowseMode();
    BeforeInsert(this);
    openBlankLine(current_ < 0 ? 0 : current_);
    AfterInsert(this);
}

void TDataSet::Append()
{
    checkWritable();
    checkBrowseMode();
    BeforeInsert(this);
    openBlankLine(RecordCount());
    AfterInsert(this);
}

void TDataSet::Edit()
{
    if (editing(state_))
        return;
    checkWritable();
    if (rows_.isEmpty()) {
        Insert();
        return;
    }
    BeforeEdit(this);
    editBackup_ = rows_.record(current_);
    modified_ = false;
    setState(TDataSetState::dsEdit);
    AfterEdit(this);
}

void TDataSet::Post()
{
    if (!editing(state_))
        return;
    BeforePost(this);
    const bool inserted = state_ == TDataSetState::dsInsert;
    const Record before = inserted ? Record() : editBackup_;
    editBackup_.clear();
    modified_ = false;
    linePosted(current_, ids_[current_], before, inserted);
    setState(TDataSetState::dsBrowse);
    AfterPost(this);
}

void TDataSet::Cancel()
{
    if (!editing(state_))
        return;
    BeforeCancel(this);
    discardPending(TDataSetState::dsBrowse);
    AfterCancel(this);
}

void TDataSet::Delete()
{
    checkActive();
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    checkWritable();
    if (rows_.isEmpty())
        throw EDatabaseError(
            QStringLiteral("Não é possível excluir: '%1' não tem registros.").arg(objectName()));
    BeforeDelete(this);
    discardPending(TDataSetState::dsBrowse);
    const int row = current_;
    const quint64 id = ids_[row];
    const Record before = rows_.record(row);
    removeLine(row);
    if (!ControlsDisabled())
        emit rowRemoved(row);
    lineDeleted(row, id, before);
    moveTo(std::min(row, RecordCount() - 1));
    AfterDelete(this);
}

QVariant TDataSet::valueAt(int row, int fieldIndex) const
{
    if (row < 0 || row >= RecordCount() || fieldIndex < 0 || fieldIndex >= fields_.size())
        return {};
    return rows_.value(row, fieldIndex);
}

Currency TDataSet::currencyAt(int row, int fieldIndex) const
{
    if (row < 0 || row >= RecordCount() || fieldIndex < 0 || fieldIndex >= fields_.size())
        throw EDatabaseError(QStringLiteral("Linha %1 ou campo %2 fora da lista.").arg(row).arg(fieldIndex));
    return rows_.currency(row, fieldIndex);
}

QList<Record> TDataSet::postedRows() const
{
    QList<Record> posted = rows_.records();
    if (state_ == TDataSetState::dsInsert)
        posted.removeAt(current_);
    else if (state_ == TDataSetState::dsEdit)
        posted[current_] = editBackup_;
    return posted;
}

void TDataSet::replaceRows(const QList<Record>& rows)
{
    replaceRows(RecordTable::fromRecords(FieldDefList(), rows));
}

void TDataSet::replaceRows(RecordTable rows)
{
    if (rows.columnCount() != fields_.size())
        throw EDatabaseError(QStringLiteral("'%1' tem %2 campos; as linhas trazem %3.")
                                 .arg(objectName())
                                 .arg(fields_.size())
                                 .arg(rows.columnCount()));
    Close();
    rows_ = std::move(rows);
    ids_.resize(rows_.rowCount());
    for (quint64& id : ids_)
        id = nextId_++;
    contentReplaced();
    Open();
}

void TDataSet::linePosted(int, quint64, const Record&, bool) {}

void TDataSet::lineDeleted(int, quint64, const Record&) {}

void TDataSet::contentReplaced() {}

void TDataSet::insertLine(int row, quint64 id, const Record& values)
{
    rows_.insert(row, values);
    ids_.insert(row, id);
}

void TDataSet::removeLine(int row)
{
    rows_.remove(row);
    ids_.removeAt(row);
}

void TDataSet::setLine(int row, const Record& values)
{
    rows_.setRecord(row, values);
}

void TDataSet::discardPending(TDataSetState next)
{
    if (state_ == TDataSetState::dsInsert) {
        const int row = current_;
        removeLine(row);
        if (!ControlsDisabled())
            emit rowRemoved(row);
        current_ = std::min(row, RecordCount() - 1);
        if (!ControlsDisabled())
            emit currentChanged(current_);
    } else if (state_ == TDataSetState::dsEdit) {
        rows_.setRecord(current_, editBackup_);
        if (!ControlsDisabled())
            emit rowChanged(current_);
    }
    editBackup_.clear();
    modified_ = false;
    setState(next);
}

void TDataSet::addField(TField* field)
{
    if (Active())
        throw EDatabaseError(
            QStringLiteral("Campos só podem ser acrescentados com '%1' fechado.").arg(objectName()));
    fields_.append(field);
}

void TDataSet::removeField(TField* field)
{
    fields_.removeOne(field);
}

QVariant TDataSet::currentValue(int fieldIndex) const
{
    if (current_ < 0 || fieldIndex < 0)
        return {};
    return rows_.value(current_, fieldIndex);
}

void TDataSet::setCurrentValue(int fieldIndex, const QVariant& value)
{
    if (!editing(state_))
        throw EDatabaseError(
            QStringLiteral("'%1' não está em modo de edição ou inclusão.").arg(objectName()));
    rows_.setValue(current_, fieldIndex, value);
    modified_ = true;
    if (!ControlsDisabled())
        emit rowChanged(current_);
}

void TDataSet::requestFocus(TField* field)
{
    if (!ControlsDisabled())
        emit focusControlRequested(field);
}

void TDataSet::setState(TDataSetState state)
{
    if (state_ == state)
        return;
    state_ = state;
    if (!ControlsDisabled())
        notifyState();
}

void TDataSet::notifyState()
{
    emit stateChanged(state_);
    const auto sources = dataSources_;
    for (TDataSource* source : sources)
        source->refreshState();
}

void TDataSet::DisableControls()
{
    ++disabledControls_;
}

void TDataSet::EnableControls()
{
    if (disabledControls_ == 0 || --disabledControls_ > 0)
        return;
    emit contentReset();
    notifyState();
}

void TDataSet::checkActive() const
{
    if (!Active())
        throw EDatabaseError(QStringLiteral("'%1' está fechado.").arg(objectName()));
}

void TDataSet::checkWritable() const
{
    checkActive();
    if (readOnly_)
        throw EDatabaseError(QStringLiteral("'%1' é somente leitura.").arg(objectName()));
}

void TDataSet::checkBrowseMode()
{
    if (!editing(state_))
        return;
    if (modified_)
        Post();
    else
        Cancel();
}

void TDataSet::moveTo(int row)
{
    row = std::clamp(row, rows_.isEmpty() ? -1 : 0, RecordCount() - 1);
    if (row == current_)
        return;
    current_ = row;
    if (!ControlsDisabled())
        emit currentChanged(row);
    AfterScroll(this);
}

void TDataSet::openBlankLine(int row)
{
    insertLine(row, nextId_++, Record(fields_.size()));
    if (!ControlsDisabled())
        emit rowInserted(row);
    current_ = row;
    if (!ControlsDisabled())
        emit currentChanged(row);
    modified_ = false;
    bof_ = eof_ = false;
    setState(TDataSetState::dsInsert);
}

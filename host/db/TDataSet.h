#pragma once

#include "Currency.h"
#include "FieldDef.h"
#include "Record.h"
#include "RecordTable.h"
#include "TDataSetState.h"
#include "TEvent.h"
#include "host_db_export.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantList>

class TDataSource;
class TField;

// An in-memory record set with a cursor: the lines, the current line, the state and the editing
// operations. Fields are added (as children) while it is closed. Data-aware controls follow it through
// its signals; screens hook into it through its events, whose handlers may throw to stop an operation.
class HOST_DB_EXPORT TDataSet : public QObject {
    Q_OBJECT

public:
    explicit TDataSet(QObject* parent = nullptr);
    ~TDataSet() override;

    // Fields, in order.
    const QList<TField*>& Fields() const { return fields_; }
    FieldDefs FieldDefList() const;
    TField* FindField(QStringView fieldName) const;
    // Raises EDatabaseError when there is no such field.
    TField* FieldByName(QStringView fieldName) const;

    bool Active() const { return state_ != TDataSetState::dsInactive; }
    void SetActive(bool active);
    void Open();
    // Drops the lines and any pending edit, without events.
    void Close();
    TDataSetState State() const { return state_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    // Lines and cursor. RecNo is 1-based, 0 when there is no current line.
    int RecordCount() const { return int(rows_.rowCount()); }
    bool IsEmpty() const { return rows_.isEmpty(); }
    int RecNo() const { return current_ + 1; }
    void SetRecNo(int recNo);
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    // Moving posts a modified pending line and cancels an untouched one, as leaving a line does.
    void First();
    void Last();
    void Next();
    void Prior();
    // `keyFields` separated by ';', one value per field; stands on the first match.
    bool Locate(const QString& keyFields, const QVariantList& values);

    // Editing. Insert opens a blank line before the current one, Append after the last; Edit on an
    // empty set inserts. Post runs BeforePost (an error there stores nothing and keeps the state),
    // stores, then AfterPost. Cancel drops the pending line and runs AfterCancel. Delete removes the
    // current line (cancelling a pending insert instead) and runs AfterDelete.
    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // A field was written since Insert or Edit.
    bool Modified() const { return modified_; }

    // Value of field `index` on line `row`, as stored; for data-aware controls.
    QVariant valueAt(int row, int fieldIndex) const;
    // The same for a decimal field, zero when null, for sums down many lines: no QVariant per value.
    // EDatabaseError for a line or field out of range or a field of another kind.
    Currency currencyAt(int row, int fieldIndex) const;
    // The current line, `current`: the 0-based index used by the signals.
    int currentRow() const { return current_; }

    // Holds the signals to data-aware controls, and the state changes data sources pass on, while a
    // step changes many lines; events still run. The last EnableControls lets the controls read
    // everything once. Calls nest.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disabledControls_ > 0; }

    TEvent<TDataSet*> BeforeInsert;
    TEvent<TDataSet*> AfterInsert;
    TEvent<TDataSet*> BeforeEdit;
    TEvent<TDataSet*> AfterEdit;
    TEvent<TDataSet*> BeforePost;
    TEvent<TDataSet*> AfterPost;
    TEvent<TDataSet*> BeforeCancel;
    TEvent<TDataSet*> AfterCancel;
    TEvent<TDataSet*> BeforeDelete;
    TEvent<TDataSet*> AfterDelete;
    TEvent<TDataSet*> AfterScroll;
    TEvent<TDataSet*> AfterOpen;

signals:
    // Notifications for data-aware controls; their receivers must not throw.
    void stateChanged(TDataSetState state);
    void contentReset();
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void currentChanged(int row);
    void focusControlRequested(TField* field);

protected:
    // Replaces every line and opens on the first (closing first when open). Not logged. The table's
    // columns must be this set's fields.
    void replaceRows(RecordTable rows);
    void replaceRows(const QList<Record>& rows);
    Record recordAt(int row) const { return rows_.record(row); }
    // The lines as stored: without a pending insert, with a line under edit as it was before the edit.
    QList<Record> postedRows() const;
    // Every line carries an id that stays with it while lines come and go around it.
    quint64 lineId(int row) const { return ids_[row]; }

    // Hooks for a subclass that logs changes; `row` is the line's position at the moment of the change.
    virtual void linePosted(int row, quint64 id, const Record& before, bool inserted);
    virtual void lineDeleted(int row, quint64 id, const Record& before);

    // Raw line edits for undoing logged changes: no events, no log; the caller emits contentReset.
    void insertLine(int row, quint64 id, const Record& values);
    void removeLine(int row);
    void setLine(int row, const Record& values);
    // Drops a pending insert or edit without events, leaving the set in `next` state.
    void discardPending(TDataSetState next);
    // The lines were replaced or dropped wholesale.
    virtual void contentReplaced();

private:
    friend class TField;
    friend class TDataSource;
    void addField(TField* field);
    void removeField(TField* field);
    QVariant currentValue(int fieldIndex) const;
    void setCurrentValue(int fieldIndex, const QVariant& value);
    void requestFocus(TField* field);

    void setState(TDataSetState state);
    void notifyState();
    void checkActive() const;
    void checkWritable() const;
    // Posts a modified pending line, cancels an untouched one.
    void checkBrowseMode();
    void moveTo(int row);
    void openBlankLine(int row);

    QList<TField*> fields_;
    QList<TDataSource*> dataSources_;
    RecordTable rows_;
    QList<quint64> ids_;
    quint64 nextId_ = 1;
    Record editBackup_;
    TDataSetState state_ = TDataSetState::dsInactive;
    int current_ = -1;
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    bool readOnly_ = false;
    int disabledControls_ = 0;
};

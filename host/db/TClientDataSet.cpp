#include "TClientDataSet.h"

#include "PacketCodec.h"

TClientDataSet::TClientDataSet(QObject* parent) : TDataSet(parent) {}

TClientDataSet::~TClientDataSet() = default;

void TClientDataSet::SetData(const DataPacket& packet)
{
    // Decoding checks everything first, so a refused packet leaves the set untouched.
    replaceRows(PacketCodec::decodeTable(packet, FieldDefList()));
}

DataPacket TClientDataSet::Data() const
{
    return PacketCodec::encodePacket(FieldDefList(), postedRows());
}

QList<Change> TClientDataSet::Changes() const
{
    QList<Change> list;
    list.reserve(changeOrder_.size());
    for (const quint64 id : changeOrder_) {
        const LoggedLine& line = changes_[id];
        Change change{line.kind, {}, {}};
        if (line.kind != ChangeKind::Deleted)
            change.values = line.current;
        if (line.kind != ChangeKind::Inserted)
            change.original = line.original;
        list.append(std::move(change));
    }
    return list;
}

DataPacket TClientDataSet::Delta() const
{
    return PacketCodec::encodeChangeSet(FieldDefList(), Changes());
}

void TClientDataSet::MergeChangeLog()
{
    clearLog();
}

void TClientDataSet::CancelUpdates()
{
    Cancel();
    if (undo_.isEmpty())
        return;
    // Undone newest first, every line is back where it stood before its change.
    for (auto step = undo_.crbegin(); step != undo_.crend(); ++step) {
        switch (step->kind) {
        case ChangeKind::Inserted:
            removeLine(step->row);
            break;
        case ChangeKind::Modified:
            setLine(step->row, step->before);
            break;
        case ChangeKind::Deleted:
            insertLine(step->row, step->id, step->before);
            break;
        }
    }
    clearLog();
    const int recNo = std::min(RecNo(), RecordCount());
    if (!ControlsDisabled())
        emit contentReset();
    SetRecNo(recNo);
}

void TClientDataSet::linePosted(int row, quint64 id, const Record& before, bool inserted)
{
    const Record now = recordAt(row);
    undo_.append({inserted ? ChangeKind::Inserted : ChangeKind::Modified, row, id, before});
    if (const auto logged = changes_.find(id); logged != changes_.end()) {
        logged->current = now;
        return;
    }
    changeOrder_.append(id);
    changes_.insert(id, {inserted ? ChangeKind::Inserted : ChangeKind::Modified, before, now});
}

void TClientDataSet::lineDeleted(int row, quint64 id, const Record& before)
{
    undo_.append({ChangeKind::Deleted, row, id, before});
    const auto logged = changes_.find(id);
    if (logged == changes_.end()) {
        changeOrder_.append(id);
        changes_.insert(id, {ChangeKind::Deleted, before, {}});
    } else if (logged->kind == ChangeKind::Inserted) {
        // The server never saw this line: nothing to send for it.
        changes_.erase(logged);
        changeOrder_.removeOne(id);
    } else {
        logged->kind = ChangeKind::Deleted;
        logged->current.clear();
    }
}

void TClientDataSet::contentReplaced()
{
    clearLog();
}

void TClientDataSet::clearLog()
{
    changeOrder_.clear();
    changes_.clear();
    undo_.clear();
}

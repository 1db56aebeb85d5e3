#pragma once

#include "Change.h"
#include "DataPacket.h"
#include "TDataSet.h"

#include <QHash>

// A record set filled whole from data packets, keeping a log of the changes made since the last
// packet or merge. The log's cost follows the number of changes, never the number of lines.
class HOST_DB_EXPORT TClientDataSet : public TDataSet {
    Q_OBJECT

public:
    explicit TClientDataSet(QObject* parent = nullptr);
    ~TClientDataSet() override;

    // Replaces the whole content with the packet's lines and opens on the first line in browse state
    // (closing first when open, so a data source sees the set close and reopen); empties the log.
    // A packet that does not decode raises EDatabaseError and leaves everything as it was.
    void SetData(const DataPacket& packet);
    // The current content, posted lines only.
    DataPacket Data() const;

    // Number of lines the log holds a change for: what Delta would carry.
    int ChangeCount() const { return int(changeOrder_.size()); }
    // The log as a change set, lines in the order they were first changed.
    DataPacket Delta() const;
    QList<Change> Changes() const;
    // Accepts every logged change into the content and empties the log.
    void MergeChangeLog();
    // Cancels any pending edit, undoes every logged change (lines back in their places) and empties the log.
    void CancelUpdates();

protected:
    void linePosted(int row, quint64 id, const Record& before, bool inserted) override;
    void lineDeleted(int row, quint64 id, const Record& before) override;
    void contentReplaced() override;

private:
    struct LoggedLine {
        ChangeKind kind;
        Record original;
        Record current;
    };
    struct UndoStep {
        ChangeKind kind;
        int row;
        quint64 id;
        Record before;
    };
    void clearLog();

    QList<quint64> changeOrder_;
    QHash<quint64, LoggedLine> changes_;
    QList<UndoStep> undo_;
};

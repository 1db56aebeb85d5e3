#pragma once

#include "TDataSetState.h"
#include "TEvent.h"
#include "host_db_export.h"

#include <QObject>

class TDataSet;

// Links a data set to data-aware controls. Its state is the data set's, or inactive while it is
// disabled, has no data set or the data set is closed; every actual change of that state raises
// stateChanged (for controls) and then OnStateChange.
class HOST_DB_EXPORT TDataSource : public QObject {
    Q_OBJECT

public:
    explicit TDataSource(QObject* parent = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    TDataSetState State() const;

    TEvent<QObject*> OnStateChange;

signals:
    void stateChanged(TDataSetState state);
    // The data set was swapped or the link switched on or off: controls read everything again.
    void linkChanged();

private:
    friend class TDataSet;
    // Called by the data set on each of its state changes, and (silently) when it goes away.
    void refreshState();
    void dataSetDestroyed();

    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    TDataSetState lastState_ = TDataSetState::dsInactive;
};

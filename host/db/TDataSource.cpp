#include "TDataSource.h"

#include "TDataSet.h"

TDataSource::TDataSource(QObject* parent) : QObject(parent) {}

TDataSource::~TDataSource()
{
    if (dataSet_)
        dataSet_->dataSources_.removeOne(this);
}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (dataSet_ == dataSet)
        return;
    if (dataSet_)
        dataSet_->dataSources_.removeOne(this);
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->dataSources_.append(this);
    emit linkChanged();
    refreshState();
}

void TDataSource::SetEnabled(bool enabled)
{
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    emit linkChanged();
    refreshState();
}

TDataSetState TDataSource::State() const
{
    return enabled_ && dataSet_ ? dataSet_->State() : TDataSetState::dsInactive;
}

void TDataSource::refreshState()
{
    const TDataSetState state = State();
    if (state == lastState_)
        return;
    lastState_ = state;
    emit stateChanged(state);
    OnStateChange(this);
}

void TDataSource::dataSetDestroyed()
{
    // Raised while its owner is being torn down: whoever would hear about it may be half gone already.
    dataSet_ = nullptr;
    lastState_ = TDataSetState::dsInactive;
}

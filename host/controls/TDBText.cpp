#include "TDBText.h"

#include "TDataSet.h"
#include "TDataSource.h"
#include "TField.h"

TDBText::TDBText(QWidget* parent) : QLabel(parent) {}

void TDBText::SetDataSource(TDataSource* source)
{
    source_ = source;
    relink();
}

void TDBText::SetDataField(const QString& field)
{
    dataField_ = field;
    refresh();
}

void TDBText::relink()
{
    for (const auto& link : std::as_const(links_))
        disconnect(link);
    links_.clear();
    if (source_) {
        links_ << connect(source_, &TDataSource::linkChanged, this, &TDBText::relink);
        links_ << connect(source_, &TDataSource::stateChanged, this, &TDBText::refresh);
        if (TDataSet* dataSet = source_->DataSet()) {
            links_ << connect(dataSet, &TDataSet::currentChanged, this, &TDBText::refresh);
            links_ << connect(dataSet, &TDataSet::rowChanged, this, &TDBText::refresh);
            links_ << connect(dataSet, &TDataSet::contentReset, this, &TDBText::refresh);
        }
    }
    refresh();
}

void TDBText::refresh()
{
    TDataSet* dataSet = source_ ? source_->DataSet() : nullptr;
    const TField* field = dataSet ? dataSet->FindField(dataField_) : nullptr;
    const bool active = field && source_->State() != TDataSetState::dsInactive;
    try {
        setText(active ? field->DisplayText() : QString());
    } catch (...) {
        setText(field->AsString());
    }
}

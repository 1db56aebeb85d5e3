#pragma once

#include "TButtonFlat.h"
#include "TDataSource.h"
#include "TEvent.h"
#include "host_kit_export.h"

#include <QPointer>

// The search button beside a code field. A click raises OnBeforePesq, whose handler may clear the flag
// to call the search off (or get the list ready); then the user chooses a line of DataSource in the
// search list, titled Title, with EmptyError shown when there is none. After a choice OnAfterPesq
// raises to copy the choice into Associate, the field the search serves, which then gets the focus.
// Left without a choice (or with nothing to choose), OnCancelPesq raises instead, so a handler that
// got the list ready can put its data set back.
class HOST_KIT_EXPORT TBtnPesquisa : public TButtonFlat {
    Q_OBJECT

public:
    explicit TBtnPesquisa(QWidget* parent = nullptr);

    QWidget* Associate() const { return associate_; }
    void SetAssociate(QWidget* associate) { associate_ = associate; }
    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }
    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* source) { dataSource_ = source; }
    QString EmptyError() const { return emptyError_; }
    void SetEmptyError(const QString& text) { emptyError_ = text; }

    // OnClick, then the search, as a click on the button does. Errors travel to the caller.
    void Click();

    TEvent<QObject*, bool&> OnBeforePesq;
    TEvent<QObject*> OnAfterPesq;
    TEvent<QObject*> OnCancelPesq;

private:
    void search();

    QPointer<QWidget> associate_;
    QPointer<TDataSource> dataSource_;
    QString title_;
    QString emptyError_;
};

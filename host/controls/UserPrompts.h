#pragma once

#include "TableRows.h"
#include "host_controls_export.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;
class TDataSource;

// Everything that asks the user something or shows them something outside the screen itself. The host
// installs dialogs; a test installs its own to answer and record.
class HOST_CONTROLS_EXPORT UserPrompts {
public:
    virtual ~UserPrompts();

    virtual void ShowError(const QString& message) = 0;
    virtual bool Confirm(const QString& question) = 0;
    // What to do with a line typed but not stored, before a step that would drop it.
    enum class OpenLineAnswer { Save, Discard, Stay };
    virtual OpenLineAnswer AskOpenLine(const QString& question) = 0;
    // Modal choice of one line of `source`'s data set. True when a line was chosen: the data set then
    // stands on it. `emptyText` is shown instead of a list when there is nothing to choose.
    virtual bool ChooseRecord(TDataSource& source, const QString& title, const QString& emptyText) = 0;
    // The busy indicator over `over` (kind 0 while connecting, 6 while working), and its end.
    virtual void ShowBusy(QWidget* over, int kind) = 0;
    virtual void HideBusy() = 0;
    // The busy indicator for a wait on `waitingFor` ("Gravando..."): it shows once the wait has lasted
    // about ShowWaitAfterMs, with the seconds waited so far. Ends with HideBusy. By default ShowBusy.
    static constexpr int ShowWaitAfterMs = 300;
    virtual void ShowBusyFor(QWidget* over, int kind, const QString& waitingFor);
    // How far a long step has gone (`done` of `total`), with a way to call it off; false once the user
    // called it off. The step ends it with HideProgress. Without a dialog of its own: nothing is shown and
    // the step goes on.
    virtual bool ShowProgress(QWidget* over, const QString& text, qsizetype done, qsizetype total);
    virtual void HideProgress();
    // A read-only table in a modal dialog (a line's history, the rows a paste refused).
    virtual void ShowTable(const QString& title, const QStringList& headers, const QList<QStringList>& rows);
    // The same for a table shown a page at a time: `first` at once, and a button that adds the pages
    // `next` gives while there are more.
    virtual void ShowTable(const QString& title, const QStringList& headers, const TableRows& first,
                           const TableRows::Source& next);
    // Where to save a file: a path, or empty when the user called it off.
    virtual QString AskSaveFileName(const QString& title, const QString& suggested, const QString& filter);
};

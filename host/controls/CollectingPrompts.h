#pragma once

#include "UserPrompts.h"
#include "host_controls_export.h"

#include <QStringList>

// Keeps the error messages instead of showing them, and hands every other prompt to `inner`, which it
// does not own: for a step that reports its failures together at its end. The step shows one busy
// sign for its whole run, so those of its parts are not shown.
class HOST_CONTROLS_EXPORT CollectingPrompts : public UserPrompts {
public:
    explicit CollectingPrompts(UserPrompts& inner) : inner_(inner) {}

    void ShowError(const QString& message) override { errors << message; }
    bool Confirm(const QString& question) override { return inner_.Confirm(question); }
    OpenLineAnswer AskOpenLine(const QString& question) override { return inner_.AskOpenLine(question); }
    bool ChooseRecord(TDataSource& source, const QString& title, const QString& emptyText) override
    {
        return inner_.ChooseRecord(source, title, emptyText);
    }
    void ShowBusy(QWidget*, int) override {}
    void HideBusy() override {}
    bool ShowProgress(QWidget* over, const QString& text, qsizetype done, qsizetype total) override
    {
        return inner_.ShowProgress(over, text, done, total);
    }
    void HideProgress() override { inner_.HideProgress(); }
    void ShowTable(const QString& title, const QStringList& headers, const QList<QStringList>& rows) override
    {
        inner_.ShowTable(title, headers, rows);
    }
    void ShowTable(const QString& title, const QStringList& headers, const TableRows& first,
                   const TableRows::Source& next) override
    {
        inner_.ShowTable(title, headers, first, next);
    }
    QString AskSaveFileName(const QString& title, const QString& suggested, const QString& filter) override
    {
        return inner_.AskSaveFileName(title, suggested, filter);
    }

    QStringList errors;

private:
    UserPrompts& inner_;
};

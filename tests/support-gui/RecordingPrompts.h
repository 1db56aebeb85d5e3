#pragma once

#include "UserPrompts.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>
#include <memory>

// Prompts for tests: records every error, question and busy indicator, and answers questions and
// searches from queues (no answer queued means "no", or "stay" for an open line). Install with
// Application::SetPrompts; keep the raw pointer to read it back.
//
// With `likeDesktop`, each error, question and search behaves as a modal dialog does on a desktop:
// while it is up, the window that was active is not; it closes before the answer is returned, and the
// window manager activates that window again a moment later (after ReactivationMs).
class RecordingPrompts : public UserPrompts {
public:
    static constexpr int ReactivationMs = 20;

    void ShowError(const QString& message) override;
    bool Confirm(const QString& question) override;
    OpenLineAnswer AskOpenLine(const QString& question) override;
    bool ChooseRecord(TDataSource& source, const QString& title, const QString& emptyText) override;
    void ShowBusy(QWidget* over, int kind) override;
    void ShowBusyFor(QWidget* over, int kind, const QString& waitingFor) override;
    void HideBusy() override;
    bool ShowProgress(QWidget* over, const QString& text, qsizetype done, qsizetype total) override;
    void HideProgress() override;
    void ShowTable(const QString& title, const QStringList& headers, const QList<QStringList>& rows) override;
    // Recorded as a table of its first page; with `showTables` the real dialog is shown instead,
    // left open for the test in `openTable` (the call returns at once).
    void ShowTable(const QString& title, const QStringList& headers, const TableRows& first,
                   const TableRows::Source& next) override;
    QString AskSaveFileName(const QString& title, const QString& suggested, const QString& filter) override;

    struct Table {
        QString title;
        QStringList headers;
        QList<QStringList> rows;
        bool more = false; // a paged table whose first page has a next
    };
    QList<Table> tables;
    bool showTables = false;
    std::unique_ptr<QDialog> openTable;
    // Answers to save-file questions, in turn (none queued: called off).
    QStringList saveFileNames;

    QStringList errors;
    QStringList questions;
    QList<bool> answers;
    QList<OpenLineAnswer> openLineAnswers;
    // Each runs for one search in turn (it may move the source's data set) and gives the answer.
    QList<std::function<bool(TDataSource&)>> choices;
    QStringList searchTitles;
    QList<int> busyKinds;
    // What each counted wait said it waited for ("Gravando...").
    QStringList busyWaits;
    int busyShown = 0;
    // "done/total" of each progress shown; the progress shown after `cancelAtProgress` of them (-1:
    // never) answers that the user called the step off.
    QStringList progress;
    qsizetype cancelAtProgress = -1;
    bool progressShown = false;
    bool busy = false;
    bool likeDesktop = false;
    // How many dialogs took the activation away from a window.
    int deactivations = 0;

private:
    void showModal();
};

// Installs a fresh RecordingPrompts on the application and returns it.
RecordingPrompts& installRecordingPrompts();

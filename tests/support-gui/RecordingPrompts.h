#pragma once

#include "UserPrompts.h"

#include <QList>
#include <QStringList>
#include <functional>

// Prompts for tests: records every error, question and busy indicator, and answers questions and
// searches from queues (no answer queued means "no"). Install with Application::SetPrompts; keep the
// raw pointer to read it back.
class RecordingPrompts : public UserPrompts {
public:
    void ShowError(const QString& message) override;
    bool Confirm(const QString& question) override;
    bool ChooseRecord(TDataSource& source, const QString& title, const QString& emptyText) override;
    void ShowBusy(QWidget* over, int kind) override;
    void HideBusy() override;

    QStringList errors;
    QStringList questions;
    QList<bool> answers;
    // Each runs for one search in turn (it may move the source's data set) and gives the answer.
    QList<std::function<bool(TDataSource&)>> choices;
    QStringList searchTitles;
    QList<int> busyKinds;
    int busyShown = 0;
    bool busy = false;
};

// Installs a fresh RecordingPrompts on the application and returns it.
RecordingPrompts& installRecordingPrompts();

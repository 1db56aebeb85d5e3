#pragma once

#include "UserPrompts.h"

#include <QStringList>
#include <functional>

// Prompts that answer from the test and keep what was asked, in order.
class RecordingPrompts : public UserPrompts {
public:
    void ShowError(const QString& message) override;
    bool Confirm(const QString& question) override;
    bool ChooseRecord(TDataSource& source, const QString& title, const QString& emptyText) override;
    void ShowBusy(QWidget* over, int kind) override;
    void HideBusy() override;

    // "error:<text>", "confirm:<text>", "choose:<title>|<empty text>", "busy:<kind>", "hide".
    QStringList calls;
    QWidget* busyOver = nullptr;
    bool confirmAnswer = true;
    // The data set's line (1-based) to stand on, or 0 to choose nothing.
    int chooseRecNo = 0;
    // Runs while the choice is "open", before the answer.
    std::function<void()> whileChoosing;
};

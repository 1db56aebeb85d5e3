#pragma once

#include "UserPrompts.h"

// The prompts used while the host has installed none: plain message boxes, the hourglass as the busy
// indicator, and no search dialog.
class MessageBoxPrompts : public UserPrompts {
public:
    void ShowError(const QString& message) override;
    bool Confirm(const QString& question) override;
    OpenLineAnswer AskOpenLine(const QString& question) override;
    bool ChooseRecord(TDataSource& source, const QString& title, const QString& emptyText) override;
    void ShowBusy(QWidget* over, int kind) override;
    void HideBusy() override;

private:
    bool busy_ = false;
};

#pragma once

#include "UserPrompts.h"
#include "host_kit_export.h"

#include <QPointer>

class BusyIndicator;
class QProgressDialog;

// The prompts as users meet them: message boxes, the search list and the busy indicator. The host
// installs them at start-up.
class HOST_KIT_EXPORT DialogPrompts : public UserPrompts {
public:
    DialogPrompts();
    ~DialogPrompts() override;

    void ShowError(const QString& message) override;
    // "Sim" is the default answer; Esc answers "Não".
    bool Confirm(const QString& question) override;
    // "Gravar" is the default answer; Esc answers "Continuar editando".
    OpenLineAnswer AskOpenLine(const QString& question) override;
    // An empty `emptyText` makes an empty list return false without a message.
    bool ChooseRecord(TDataSource& source, const QString& title, const QString& emptyText) override;
    void ShowBusy(QWidget* over, int kind) override;
    void ShowBusyFor(QWidget* over, int kind, const QString& waitingFor) override;
    void HideBusy() override;
    // A window-modal progress dialog over `over`'s window, with "Cancelar".
    bool ShowProgress(QWidget* over, const QString& text, qsizetype done, qsizetype total) override;
    void HideProgress() override;

    // How wide a window must be for its title to show whole between the frame's icon and buttons;
    // message boxes are never narrower.
    static int TitleWidth(const QWidget& window);

    // The busy indicator while it shows, for the host's own checks.
    QWidget* BusyWidget() const;

private:
    QPointer<BusyIndicator> busy_;
    QPointer<QProgressDialog> progress_;
};

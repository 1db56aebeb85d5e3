#pragma once

#include "ModuleLoader.h"

#include <QMainWindow>

class QMdiArea;

// The host's main window: an MDI area for the screens, a menu that opens them and one that closes the
// active one. Quitting (its menu's "Sair" or closing the window) first closes every open screen through
// the screen's own close step, so each settles its open line and hands its reservation back; a screen
// that stays open cancels the quit.
class HostMainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit HostMainWindow(ModuleLoader& loader);

    QMdiArea* mdiArea() const { return mdiArea_; }
    // Loads the module if needed and enters it; errors are reported to the user.
    void openModule(const QString& moduleName);
    // Closes every screen, the active one first. False, with that screen brought to the front, when
    // one stays open.
    bool CloseScreens();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ModuleLoader& loader_;
    QMdiArea* mdiArea_;
};

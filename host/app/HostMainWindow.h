#pragma once

#include "ModuleLoader.h"

#include <QMainWindow>
#include <memory>

class QLabel;
class QMdiArea;
class TNetConnection;

// The host's main window: an MDI area for the screens, a menu that opens them and one that closes the
// active one. Quitting (its menu's "Sair" or closing the window) first closes every open screen through
// the screen's own close step, so each settles its open line and hands its reservation back; a screen
// that stays open cancels the quit. The clerk signs in to the application server (SignInDialog) at start
// and again whenever her session ends mid-call; the status bar names her, and "Trocar usuário..." closes
// the screens and signs another one in.
class HostMainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit HostMainWindow(ModuleLoader& loader);
    ~HostMainWindow() override;

    QMdiArea* mdiArea() const { return mdiArea_; }
    // Loads the module if needed and enters it; errors are reported to the user.
    void openModule(const QString& moduleName);
    // Closes every screen, the active one first. False, with that screen brought to the front, when
    // one stays open.
    bool CloseScreens();
    // Asks for login and password until the server takes them; false when the clerk gave up.
    // `login`: the one the dialog starts with (empty: the last one).
    bool SignIn(const QString& login = {});
    // Closes the screens, ends the session and asks for another sign-in.
    void SwitchUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showUser();

    ModuleLoader& loader_;
    QMdiArea* mdiArea_;
    QLabel* user_;
    // Where sign-ins go: the application server of the host's settings.
    std::unique_ptr<TNetConnection> connection_;
    // Once signed in here, an ended session is asked for again with the dialog.
    bool asksAgain_ = false;
};

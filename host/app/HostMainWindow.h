#pragma once

#include "ModuleLoader.h"

#include <QMainWindow>

class QMdiArea;

// The host's main window: an MDI area for the screens and a menu that opens them.
class HostMainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit HostMainWindow(ModuleLoader& loader);

    QMdiArea* mdiArea() const { return mdiArea_; }
    // Loads the module if needed and enters it; errors are reported to the user.
    void openModule(const QString& moduleName);

private:
    ModuleLoader& loader_;
    QMdiArea* mdiArea_;
};

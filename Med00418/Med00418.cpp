#include "Med00418.h"

#include "Application.h"
#include "TfrmMediEfeti.h"

#include <QScopeGuard>

TfrmMediEfeti* frmMediEfeti = nullptr;
bool boStCriado = false;
QString stPrxNr;

namespace {

// Loading the module marks the screen as not created; unloading forgets the reservation.
struct ModuleLifetime {
    ModuleLifetime() { boStCriado = false; }
    ~ModuleLifetime() { stPrxNr.clear(); }
};
const ModuleLifetime moduleLifetime;

} // namespace

void CriaMediEfeti()
{
    Application& application = Application::instance();
    application.SetCursor(Application::crHourGlass);
    // A failed creation must not leave the hourglass behind.
    const auto restoreCursor = qScopeGuard([&] { application.SetCursor(Application::crDefault); });
    if (!boStCriado) {
        frmMediEfeti = application.CreateForm<TfrmMediEfeti>();
        boStCriado = true;
    }
    frmMediEfeti->SetWindowState(TWindowState::wsNormal);
    frmMediEfeti->Show();
    frmMediEfeti->BringToFront();
}

void IniProc()
{
    CriaMediEfeti();
}

const char* RequiredPackages()
{
    return "_kit;_rtl;_qr;_lib;_ger;_frm;_db;_vcl";
}

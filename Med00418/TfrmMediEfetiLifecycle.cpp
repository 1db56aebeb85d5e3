#include "Application.h"
#include "Consiste.h"
#include "Med00418.h"
#include "NetMediEfeti.h"
#include "RdmMediEfeti.h"
#include "Showavi.h"
#include "TMaskEdit.h"
#include "TNetConnection.h"
#include "TfrmMediEfeti.h"

TfrmMediEfeti::TfrmMediEfeti(QWidget* parent) : TfrmPadraoSimples(parent)
{
    setObjectName(QStringLiteral("frmMediEfeti"));
    buildData();
    buildCommands();
    buildFilterPanel();
    buildGridArea();
    wireEvents();
}

TfrmMediEfeti::~TfrmMediEfeti() = default;

RdmMediEfeti TfrmMediEfeti::server() const
{
    return RdmMediEfeti(*netMediEfeti);
}

void TfrmMediEfeti::FormCreate(QObject* Sender)
{
    TfrmPadraoSimples::FormCreate(Sender);
    Showavi::ActiveShowAvi(Application::instance().MainForm(), Showavi::Connecting);
    try {
        netMediEfeti->Open();
        stPrxNr = server().GetPrxRelApurFat(medCdFilial->Text());
    } catch (...) {
        // A screen that could not start leaves nothing behind: no indicator, no open connection.
        Showavi::DeactiveShowAvi();
        netMediEfeti->Close();
        throw;
    }
    Showavi::DeactiveShowAvi();
}

void TfrmMediEfeti::FormActivate(QObject*)
{
    update();
}

void TfrmMediEfeti::FormClose(QObject* Sender, TCloseAction& Action)
{
    Consiste::CheckResultServ(server().SetDelTableApur(stPrxNr), true, 0);
    netMediEfeti->Close();
    TfrmPadraoSimples::FormClose(Sender, Action);
    boStCriado = false;
}

void TfrmMediEfeti::netMediEfetiBeforeConnect(QObject*)
{
    applyServerAddress(*netMediEfeti);
}

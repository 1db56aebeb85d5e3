#include "Application.h"
#include "Consiste.h"
#include "EAbort.h"
#include "Med00418.h"
#include "NetMediEfeti.h"
#include "RdmMediEfeti.h"
#include "Showavi.h"
#include "TMaskEdit.h"
#include "TNetConnection.h"
#include "TfrmMediEfeti.h"
#include "UserPrompts.h"

#include <QScopeGuard>

TfrmMediEfeti::TfrmMediEfeti(QWidget* parent) : TfrmPadraoSimples(parent)
{
    setObjectName(QStringLiteral("frmMediEfeti"));
    buildData();
    buildCommands();
    buildFilterPanel();
    buildGridArea();
    buildFindBox();
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
    releaseReservation();
    netMediEfeti->Close();
    TfrmPadraoSimples::FormClose(Sender, Action);
    boStCriado = false;
}

void TfrmMediEfeti::releaseReservation()
{
    try {
        Consiste::CheckResultServ(releasedOnServer(), true, 0);
    } catch (const EAbort&) {
        throw;
    } catch (...) {
        // A server that is down would otherwise hold the screen open for good; the reservation it
        // cannot hear about expires there by itself. Told to quit by a signal, nobody may be there to
        // answer: the log says what stayed held.
        const QString reason = Application::MessageOf(std::current_exception());
        if (Application::instance().QuittingBySignal()) {
            qWarning().noquote() << "Quitting on a signal: reservation" << stPrxNr
                                 << "not released, it expires on the server by itself:" << reason;
            return;
        }
        const QString question = QStringLiteral("Não foi possível liberar a reserva no servidor:\n%1\n\n"
                                                "Fechar a tela mesmo assim? A reserva expira sozinha.")
                                     .arg(reason);
        if (!Application::instance().Prompts().Confirm(question))
            Abort();
    }
}

RemoteValue TfrmMediEfeti::releasedOnServer()
{
    Showavi::ActiveShowAvi(Application::instance().MainForm(), Showavi::Working,
                           QStringLiteral("Liberando a filial..."));
    const auto hideIndicator = qScopeGuard([] { Showavi::DeactiveShowAvi(); });
    return server().SetDelTableApur(stPrxNr);
}

void TfrmMediEfeti::netMediEfetiBeforeConnect(QObject*)
{
    applyServerAddress(*netMediEfeti);
}

#include "Application.h"
#include "Consiste.h"
#include "Exception.h"
#include "Med00418.h"
#include "RdmMediEfeti.h"
#include "Showavi.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TfrmMediEfeti.h"

#include <QScopeGuard>

void TfrmMediEfeti::btnImportaClick(QObject*)
{
    SettleOpenLine();
    Showavi::ActiveShowAvi(Application::instance().MainForm(), Showavi::Working);
    const auto hideIndicator = qScopeGuard([] { Showavi::DeactiveShowAvi(); });
    // The branch and date of the lines shown: the branch lookup may stand elsewhere after a search.
    if (shownBranch_.isEmpty())
        throw Exception(QStringLiteral("Informe a filial antes de importar."));
    const RemoteValue result = server().Importa(shownBranch_, shownDate_, stPrxNr);
    cdsEfetGest->SetData(Consiste::CheckResultServ(result, true, 0).toPacket());
}

void TfrmMediEfeti::mnuImpEFClick(QObject*)
{
    btnImporta->Click();
}

void TfrmMediEfeti::sbtVerificarClick(QObject*)
{
    try {
        reloadLines();
    } catch (...) {
        // The list stays as it was; the user is told why it was not refreshed.
        Application::instance().HandleException(std::current_exception());
    }
}

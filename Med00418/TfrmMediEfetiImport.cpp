#include "TfrmMediEfeti.h"

#include "Application.h"
#include "Consiste.h"
#include "Exception.h"
#include "Med00418.h"
#include "RdmMediEfeti.h"
#include "Showavi.h"
#include "TADOIBQuery.h"
#include "TADOIBStringField.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TDateEditPlus.h"
#include "TMaskEdit.h"

void TfrmMediEfeti::btnImportaClick(QObject*)
{
    try {
        Showavi::ActiveShowAvi(Application::instance().MainForm(), Showavi::Working);
        const TDateTime date = depDataFatu->GetDate();
        if (!qryFilial->Active() || qryFilial->IsEmpty())
            throw Exception(QStringLiteral("Informe a filial antes de importar."));
        const QString branch = qryFilialCDFILIAL->AsString();
        const RemoteValue result = server().Importa(branch, date, stPrxNr);
        cdsEfetGest->SetData(Consiste::CheckResultServ(result, true, 0).toPacket());
        Showavi::DeactiveShowAvi();
    } catch (...) {
        Showavi::DeactiveShowAvi();
        throw;
    }
}

void TfrmMediEfeti::mnuImpEFClick(QObject*)
{
    btnImporta->Click();
}

void TfrmMediEfeti::sbtVerificarClick(QObject*)
{
    try {
        Showavi::ActiveShowAvi(Application::instance().MainForm(), Showavi::Working);
        const TDateTime date = depDataFatu->GetDate();
        const QString branch = medCdFilial->Text();
        cdsEfetGest->SetData(server().getEfetGest(branch, date).toPacket());
        Showavi::DeactiveShowAvi();
    } catch (...) {
        // The list stays as it was; the user is told why it was not refreshed.
        Showavi::DeactiveShowAvi();
        Application::instance().HandleException(std::current_exception());
    }
}

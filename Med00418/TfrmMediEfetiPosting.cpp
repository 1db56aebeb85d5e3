#include "Application.h"
#include "Consiste.h"
#include "RdmMediEfeti.h"
#include "Showavi.h"
#include "TBCDField.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateTimeField.h"
#include "TMessages.h"
#include "TStringField.h"
#include "TfrmMediEfeti.h"

void TfrmMediEfeti::cdsEfetGestBeforePost(TDataSet*)
{
    cdsEfetGestUSR_CDFILIAL->SetAsString(shownBranch_);
    cdsEfetGestUSR_DTEFETGEST->SetAsDateTime(shownDate_);
    if (dtsPadrao->State() == TDataSetState::dsInsert) {
        if (Consiste::EmptyString(cdsEfetGestUSR_CDSERVFILI->AsString())) {
            try {
                Consiste::MensErro(msgPadrao->Msg(QStringLiteral("Serv_Inf")), true);
            } catch (...) {
                Showavi::DeactiveShowAvi();
                cdsEfetGestUSR_CDSERVFILI->FocusControl();
                throw;
            }
        }
        Vd_Servico();
    }
    const TDataSetState state = dtsPadrao->State();
    if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert)
        return;
    try {
        if (!(cdsEfetGestUSR_QTEFETGEST->AsFloat() > 0))
            refuseAt(cdsEfetGestUSR_QTEFETGEST, QStringLiteral("NNUME_Inf"));
        if (!(cdsEfetGestUSR_VREFETGEST->AsFloat() > 0))
            refuseAt(cdsEfetGestUSR_VREFETGEST, QStringLiteral("Unit_Inf"));
        if (!(cdsEfetGestUSR_VRTTSERVGEST->AsFloat() > 0) || totalIsStale())
            CalculaTotal();
        if (!(cdsEfetGestUSR_VRTTSERVGEST->AsFloat() > 0))
            refuseAt(cdsEfetGestUSR_VRTTSERVGEST, QStringLiteral("Tota_Inf"));
    } catch (...) {
        if (TField* selected = dbgData->SelectedField())
            selected->FocusControl();
        throw;
    }
}

void TfrmMediEfeti::cdsEfetGestAfterEdit(TDataSet*)
{
    totalStaff_ = cdsEfetGestUSR_QTEFETGEST->AsCurrency();
    totalPrice_ = cdsEfetGestUSR_VREFETGEST->AsCurrency();
}

void TfrmMediEfeti::cdsEfetGestUSR_VRTTSERVGESTChange(TField*)
{
    // Typed by the user or worked out: either way it answers for the staff and price standing now.
    cdsEfetGestAfterEdit(cdsEfetGest);
}

bool TfrmMediEfeti::totalIsStale() const
{
    return cdsEfetGestUSR_QTEFETGEST->AsCurrency() != totalStaff_ ||
           cdsEfetGestUSR_VREFETGEST->AsCurrency() != totalPrice_;
}

void TfrmMediEfeti::cdsEfetGestAfterPost(TDataSet*)
{
    if (cdsEfetGest->ChangeCount() == 0)
        return;
    try {
        server().setEfetGest(cdsEfetGest->Delta());
        cdsEfetGest->MergeChangeLog();
    } catch (...) {
        // The grid goes back to what the server holds, and the user learns why.
        cdsEfetGest->CancelUpdates();
        Application::instance().HandleException(std::current_exception());
    }
}

void TfrmMediEfeti::cdsEfetGestAfterCancel(TDataSet*)
{
    cdsEfetGest->CancelUpdates();
}

void TfrmMediEfeti::cdsEfetGestDTFATURAMSetText(TField* Sender, const QString& Text)
{
    Consiste::DateSetText(Sender, Text);
}

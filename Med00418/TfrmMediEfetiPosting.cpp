#include "Application.h"
#include "Consiste.h"
#include "ECallOutcomeUnknown.h"
#include "PacketCodec.h"
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

#include <QScopeGuard>
#include <QTimer>

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
    deleting_ = false;
    lineBefore_ = {};
    if (cdsEfetGest->State() == TDataSetState::dsEdit)
        lineBefore_ = {cdsEfetGestUSR_CDSERVFILI->AsString(), cdsEfetGestNMSERVICO->AsString(),
                       typedValues()};
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
    // A reread still owed from an earlier save waits for the list to be browsed again.
    const auto owed = qScopeGuard([this] { rereadWhenIdle(); });
    // A pasted block's lines are saved together once the block is posted.
    if (cdsEfetGest->ChangeCount() == 0 || checkedServices_)
        return;
    const QString typed = typedValues();
    try {
        {
            Showavi::ActiveShowAvi(Application::instance().MainForm(), Showavi::Working,
                                   QStringLiteral("Gravando..."));
            const auto hideIndicator = qScopeGuard([] { Showavi::DeactiveShowAvi(); });
            server().setEfetGest(cdsEfetGest->Delta());
        }
        cdsEfetGest->MergeChangeLog();
    } catch (const ECallOutcomeUnknown& unknown) {
        // The server may hold the change or not: no failure is claimed, and the list is read again,
        // once the post or delete is over, to show what it does hold.
        cdsEfetGest->CancelUpdates();
        unsureSave_ = unknown.Message() + QStringLiteral(" A alteração pode ter sido gravada ou não.");
    } catch (...) {
        // The grid goes back to what the server holds, and the user learns why.
        const std::exception_ptr refusal = std::current_exception();
        cdsEfetGest->CancelUpdates();
        if (!explainConflict(typed))
            Application::instance().HandleException(refusal);
    }
}

void TfrmMediEfeti::cdsEfetGestAfterCancel(TDataSet*)
{
    // A pasted row refused while its block is posted leaves the block's lines for their save.
    if (!checkedServices_)
        cdsEfetGest->CancelUpdates();
    rereadWhenIdle();
}

void TfrmMediEfeti::rereadWhenIdle()
{
    // A paste reads the list again itself, once, at its end.
    if (unsureSave_.isEmpty() || pasting_)
        return;
    QTimer::singleShot(0, this, [this] {
        Application::instance().Guard([this] {
            // A line opened meanwhile is left alone; its post or cancel calls again.
            if (dtsPadrao->State() == TDataSetState::dsBrowse && !pasting_)
                showWhatTheServerHolds();
        });
    });
}

void TfrmMediEfeti::showWhatTheServerHolds()
{
    const QString unsure = std::exchange(unsureSave_, {});
    if (unsure.isEmpty())
        return;
    QString outcome =
        QStringLiteral("%1 A lista foi lida de novo e mostra o que o servidor guarda.").arg(unsure);
    try {
        reloadLines();
    } catch (...) {
        notLoaded_ = Application::MessageOf(std::current_exception());
        outcome = QStringLiteral("%1 A lista não pôde ser lida de novo: %2 Carregue-a outra vez quando o "
                                 "servidor responder.")
                      .arg(unsure, notLoaded_);
    }
    if (notLoaded_.isEmpty()) {
        VerifEmpty();
        if (cdsEfetGest->IsEmpty())
            HabilitaBotoes();
    } else {
        // As a failed load: no line stands that the server may not hold, and the empty grid does not pass
        // for a day without lines.
        cdsEfetGest->SetData(PacketCodec::encodePacket(cdsEfetGest->FieldDefList(), {}));
        showListNotLoaded();
    }
    Application::instance().HandleException(std::make_exception_ptr(Exception(outcome)));
}

void TfrmMediEfeti::cdsEfetGestDTFATURAMSetText(TField* Sender, const QString& Text)
{
    Consiste::DateSetText(Sender, Text);
}

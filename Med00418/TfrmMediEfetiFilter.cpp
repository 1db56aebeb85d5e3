#include "Application.h"
#include "Consiste.h"
#include "HostSession.h"
#include "PacketCodec.h"
#include "RdmMediEfeti.h"
#include "Showavi.h"
#include "TADOIBQuery.h"
#include "TADOIBStringField.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TEdit.h"
#include "TMaskEdit.h"
#include "TMessages.h"
#include "TParam.h"
#include "TfrmMediEfeti.h"

#include <QScopeGuard>

void TfrmMediEfeti::Vd_Filial(bool required)
{
    const QString text = medCdFilial->Text();
    try {
        if (Consiste::EmptyString(text)) {
            if (required)
                Consiste::MensErro(msgPadrao->Msg(QStringLiteral("Filial_Emp")), true);
            edtNmFilial->SetText(QString());
            return;
        }
        medCdFilial->SetText(Consiste::Ajusta(text, 4));
        qryFilial->Close();
        // Every branch of the local database, granted or not: a branch not granted gets the server's
        // message below, not "not registered".
        qryFilial->ClearFilter();
        qryFilial->ParamByName(u"P_CDFILIAL").SetAsString(medCdFilial->Text());
        qryFilial->Open();
        if (qryFilial->IsEmpty())
            Consiste::MensErro(msgPadrao->Msg(QStringLiteral("Filial_Cad")), true);
        // The server would refuse its lines: said before anything is loaded, in the server's words.
        if (!HostSession::instance().reaches(medCdFilial->Text()))
            Consiste::MensErro(QStringLiteral("Usuário sem acesso à filial %1.").arg(medCdFilial->Text()),
                               true);
    } catch (...) {
        medCdFilial->setFocus();
        throw;
    }
    edtNmFilial->SetText(qryFilialNMFILIAL->AsString());
}

void TfrmMediEfeti::medCdFilialExit(QObject*)
{
    Vd_Filial(false);
}

void TfrmMediEfeti::medCdFilialChange(QObject*)
{
    edtNmFilial->SetText(QString());
}

void TfrmMediEfeti::btpFilialBeforePesq(QObject*, bool&)
{
    branchBeforeSearch_ =
        qryFilial->Active() && !qryFilial->IsEmpty() ? qryFilialCDFILIAL->AsString() : QString();
    qryFilial->Close();
    qryFilial->ParamByName(u"P_CDFILIAL").Clear();
    // The server refuses the lines of a branch not granted: the list offers only those the user may use.
    qryFilial->SetFilter(QStringLiteral("CDFILIAL"),
                         [](const QString& code) { return HostSession::instance().reaches(code); });
    qryFilial->Open();
    const HostSession& session = HostSession::instance();
    btpFilial->SetEmptyError(
        session.reachesEveryBranch()
            ? QStringLiteral("Não há filial cadastrada.")
            : QStringLiteral("Não há filial liberada para o usuário %1.").arg(session.user()->login));
}

void TfrmMediEfeti::btpFilialAfterPesq(QObject*)
{
    // Writing the code empties the name, so the name goes in second.
    medCdFilial->SetText(qryFilialCDFILIAL->AsString());
    edtNmFilial->SetText(qryFilialNMFILIAL->AsString());
}

void TfrmMediEfeti::btpFilialCancelPesq(QObject*)
{
    // The list was opened over every branch the user may use; the lookup goes back to the branch it
    // stood on, as the branch check left it.
    qryFilial->Close();
    qryFilial->ClearFilter();
    if (branchBeforeSearch_.isEmpty())
        return;
    qryFilial->ParamByName(u"P_CDFILIAL").SetAsString(branchBeforeSearch_);
    qryFilial->Open();
}

void TfrmMediEfeti::depDataFatuExit(QObject*)
{
    if (!Consiste::EmptyString(depDataFatu->Text()))
        depDataFatu->CheckValidDate();
}

void TfrmMediEfeti::panFiltroEnter(QObject*)
{
    statusNote_.clear();
    dtsPadrao->SetEnabled(false);
    ControlaBotoes();
}

void TfrmMediEfeti::panFiltroExit(QObject*)
{
    Vd_Filial(true);
    try {
        if (Consiste::EmptyString(depDataFatu->Text()))
            Consiste::MensErro(msgPadrao->Msg(QStringLiteral("DtFat_inf")), true);
        depDataFatu->CheckValidDate();
    } catch (...) {
        depDataFatu->setFocus();
        throw;
    }
    shownBranch_ = medCdFilial->Text();
    shownDate_ = depDataFatu->GetDate();
    if (loadLines())
        showLoadedList();
    else
        showListNotLoaded();
}

void TfrmMediEfeti::showLoadedList()
{
    if (cdsEfetGest->IsEmpty())
        HabilitaBotoes();
    dtsPadrao->SetEnabled(true);
    ControlaBotoes();
    VerifEmpty();
    updateTotals();
}

void TfrmMediEfeti::showListNotLoaded()
{
    // An empty grid would pass for a day without lines: nothing is offered on it but reading it again.
    dtsPadrao->SetEnabled(false);
    ControlaBotoes();
    SetCommandEnabled(sbtVerificar, true);
    updateTotals();
}

void TfrmMediEfeti::reloadLines()
{
    Showavi::ActiveShowAvi(Application::instance().MainForm(), Showavi::Working,
                           QStringLiteral("Carregando..."));
    const auto hideIndicator = qScopeGuard([] { Showavi::DeactiveShowAvi(); });
    cdsEfetGest->SetData(server().getEfetGest(shownBranch_, shownDate_).toPacket());
    notLoaded_.clear();
    statusNote_.clear();
}

bool TfrmMediEfeti::loadLines()
{
    try {
        reloadLines();
        return true;
    } catch (...) {
        notLoaded_ = Application::MessageOf(std::current_exception());
        cdsEfetGest->SetData(PacketCodec::encodePacket(cdsEfetGest->FieldDefList(), {}));
        Application::instance().HandleException(std::current_exception());
        return false;
    }
}

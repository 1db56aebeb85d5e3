#include "Application.h"
#include "Consiste.h"
#include "EAbort.h"
#include "ERangeError.h"
#include "Pesquisa.h"
#include "RdmMediEfeti.h"
#include "Showavi.h"
#include "TADOIBQuery.h"
#include "TADOIBStringField.h"
#include "TBCDField.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TMaskEdit.h"
#include "TMessages.h"
#include "TParam.h"
#include "TStringField.h"
#include "TfrmMediEfeti.h"
#include "VirtualKeys.h"

#include <QKeySequence>
#include <algorithm>
#include <array>

void TfrmMediEfeti::Vd_Servico()
{
    try {
        cdsEfetGestUSR_CDSERVFILI->SetAsString(Consiste::Ajusta(cdsEfetGestUSR_CDSERVFILI->AsString(), 5));
        if (serviceHasLine(cdsEfetGestUSR_CDSERVFILI->AsString()))
            Consiste::MensErro(msgPadrao->Msg(QStringLiteral("Serv_ja_cad")), true);
        qryServico->Close();
        qryServico->ParamByName(u"P_CDFILIAL").SetAsString(shownBranch_);
        qryServico->ParamByName(u"P_CDSERVFILI").SetAsString(cdsEfetGestUSR_CDSERVFILI->AsString());
        qryServico->Open();
        if (qryServico->IsEmpty())
            Consiste::MensErro(msgPadrao->Msg(QStringLiteral("Serv_cad")), true);
        cdsEfetGestNMSERVICO->SetAsString(qryServicoNMSERVICO->AsString());
    } catch (...) {
        Showavi::DeactiveShowAvi();
        cdsEfetGestUSR_CDSERVFILI->FocusControl();
        throw;
    }
}

bool TfrmMediEfeti::serviceHasLine(const QString& service)
{
    // Within a pasted block, the block's one check answers.
    if (checkedServices_)
        return checkedServices_->contains(service);
    Showavi::ActiveShowAvi(Application::instance().MainForm(), Showavi::Working,
                           QStringLiteral("Verificando o serviço..."));
    cdsVerifServ->SetData(server().GetVerifServ(shownBranch_, shownDate_, service).toPacket());
    Showavi::DeactiveShowAvi();
    return !cdsVerifServ->IsEmpty();
}

void TfrmMediEfeti::CalculaTotal()
{
    TBCDField* total = cdsEfetGestUSR_VRTTSERVGEST;
    Currency product;
    try {
        // Through 128 bits: a product beyond the fixed-point range raises instead of wrapping.
        product = cdsEfetGestUSR_QTEFETGEST->AsCurrency() * cdsEfetGestUSR_VREFETGEST->AsCurrency();
    } catch (const ERangeError&) {
        product = Currency::fromRaw(std::numeric_limits<std::int64_t>::max());
    }
    const int integerDigits = total->Precision() - total->Scale();
    if (product.roundedTo(total->Scale()).integerDigits() > integerDigits) {
        total->FocusControl();
        Consiste::MensErro(
            QStringLiteral("Valor total excede o limite do campo (%1 dígitos inteiros).").arg(integerDigits),
            true);
    }
    total->SetAsCurrency(product);
}

void TfrmMediEfeti::refuseAt(TField* field, const QString& messageKey)
{
    field->FocusControl();
    Consiste::MensErro(msgPadrao->Msg(messageKey), true);
    throw EAbort();
}

void TfrmMediEfeti::dbgDataColExit(QObject*)
{
    const TDataSetState state = dtsPadrao->State();
    const TField* selected = dbgData->SelectedField();
    const QString name = selected ? selected->FieldName() : QString();
    if (state == TDataSetState::dsInsert && name == QLatin1String("USR_CDSERVFILI") &&
        !Consiste::EmptyString(cdsEfetGestUSR_CDSERVFILI->AsString()))
        Vd_Servico();
    if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert)
        return;
    if (name == QLatin1String("USR_QTEFETGEST")) {
        if (!(cdsEfetGestUSR_QTEFETGEST->AsFloat() > 0))
            refuseAt(cdsEfetGestUSR_QTEFETGEST, QStringLiteral("NNUME_Inf"));
    } else if (name == QLatin1String("USR_VREFETGEST")) {
        if (!(cdsEfetGestUSR_VREFETGEST->AsFloat() > 0))
            refuseAt(cdsEfetGestUSR_VREFETGEST, QStringLiteral("Unit_Inf"));
        CalculaTotal();
    } else if (name == QLatin1String("USR_VRTTSERVGEST")) {
        if (!(cdsEfetGestUSR_VRTTSERVGEST->AsFloat() > 0))
            refuseAt(cdsEfetGestUSR_VRTTSERVGEST, QStringLiteral("Tota_Inf"));
    }
}

void TfrmMediEfeti::dbgDataEditButtonClick(QObject*)
{
    qryServico->Close();
    qryServico->ParamByName(u"P_CDFILIAL").SetAsString(shownBranch_);
    qryServico->ParamByName(u"P_CDSERVFILI").Clear();
    qryServico->Open();
    const QString text = msgPadrao->Msg(QStringLiteral("Servico")) + QLatin1Char('|') +
                         msgPadrao->Msg(QStringLiteral("N_Ha_Serv"));
    if (!Pesquisa::Pesquisar(*dtsServico, text, false, true))
        return;
    // Writing the code empties the name, so the name goes in second.
    cdsEfetGestUSR_CDSERVFILI->SetAsString(qryServicoCDSERVFILI->AsString());
    cdsEfetGestNMSERVICO->SetAsString(qryServicoNMSERVICO->AsString());
}

void TfrmMediEfeti::cdsEfetGestUSR_CDSERVFILIChange(TField*)
{
    if (cdsEfetGest->State() == TDataSetState::dsInsert)
        cdsEfetGestNMSERVICO->Clear();
}

namespace {

// The code and name of a line already stored are not typed over: only moving keys pass there.
bool isStoredKey(const TDataSource* source, const TField* field, const TField* code, const TField* name)
{
    return source->State() != TDataSetState::dsInsert && (field == code || field == name);
}

// The platform's paste keys: Ctrl+V everywhere, Shift+Insert on X11 and Windows.
bool isPasteKey(int key, Qt::KeyboardModifiers shift)
{
    const bool letter = key >= 'A' && key <= 'Z';
    if (!letter && key != VirtualKeys::vkInsert)
        return false;
    const Qt::Key qtKey = letter ? Qt::Key(key) : Qt::Key_Insert;
    return QKeySequence::keyBindings(QKeySequence::Paste)
        .contains(QKeySequence(QKeyCombination(shift, qtKey)));
}

} // namespace

void TfrmMediEfeti::dbgDataKeyDown(QObject*, int& Key, Qt::KeyboardModifiers Shift)
{
    using namespace VirtualKeys;
    if (isPasteKey(Key, Shift) && pastesLines()) {
        Key = 0;
        pasteClipboard();
        return;
    }
    if (Key == 'C' && Shift == Qt::ControlModifier && dtsPadrao->State() == TDataSetState::dsBrowse &&
        !dbgData->EditorMode()) {
        Key = 0;
        CopyCell();
        return;
    }
    static constexpr std::array passing{vkTab, vkReturn, vkLeft, vkUp, vkRight, vkDown, vkInsert};
    if (isStoredKey(dtsPadrao, dbgData->SelectedField(), cdsEfetGestUSR_CDSERVFILI, cdsEfetGestNMSERVICO) &&
        std::find(passing.begin(), passing.end(), Key) == passing.end())
        Abort();
}

void TfrmMediEfeti::dbgDataKeyPress(QObject*, QChar& Key)
{
    if (isStoredKey(dtsPadrao, dbgData->SelectedField(), cdsEfetGestUSR_CDSERVFILI, cdsEfetGestNMSERVICO) &&
        Key != QChar(VirtualKeys::vkTab) && Key != QChar(VirtualKeys::vkReturn))
        Abort();
}

void TfrmMediEfeti::dbgDataCanEditModify(QObject*, TField* Field, bool& CanModify)
{
    // Pastes, drops and input methods never pass the key filters: the cell refuses text itself.
    if (isStoredKey(dtsPadrao, Field, cdsEfetGestUSR_CDSERVFILI, cdsEfetGestNMSERVICO))
        CanModify = false;
}

void TfrmMediEfeti::sbtIncluirClick(QObject*)
{
    cdsEfetGest->Insert();
}

#include "Consiste.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TLabel.h"
#include "TMaskEdit.h"
#include "TMenuItem.h"
#include "TPageControl.h"
#include "TStringField.h"
#include "TfrmMediEfeti.h"
#include "VirtualKeys.h"

void TfrmMediEfeti::ControlaBotoes()
{
    const TDataSetState state = dtsPadrao->State();
    const bool browsing = state == TDataSetState::dsBrowse;
    const bool editing = state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
    for (TButtonFlat* button : {sbtIncluir, sbtAlterar, sbtExcluir, sbtProcurar, sbtVerificar, btnImporta})
        button->SetEnabled(browsing);
    sbtConfirmar->SetEnabled(editing);
    sbtCancelar->SetEnabled(editing);
    for (TButtonFlat* button :
         {sbtIncluir, sbtAlterar, sbtExcluir, sbtProcurar, sbtVerificar, sbtConfirmar, sbtCancelar})
        MenuItemOf(button)->SetEnabled(button->Enabled());
    mnuImpEF->SetEnabled(btnImporta->Enabled());
}

void TfrmMediEfeti::setRowCommands(bool enabled)
{
    for (TButtonFlat* button : {sbtAlterar, sbtExcluir, sbtProcurar, sbtVerificar})
        SetCommandEnabled(button, enabled);
}

void TfrmMediEfeti::VerifEmpty()
{
    if (cdsEfetGest->IsEmpty())
        setRowCommands(false);
}

void TfrmMediEfeti::HabilitaBotoes()
{
    setRowCommands(false);
    SetCommandEnabled(sbtConfirmar, false);
    SetCommandEnabled(sbtCancelar, false);
    btnImporta->SetEnabled(false);
    mnuImpEF->SetEnabled(false);
}

void TfrmMediEfeti::dtsPadraoStateChange(QObject* Sender)
{
    TfrmPadraoSimples::dtsPadraoStateChange(Sender);
    const TDataSetState state = dtsPadrao->State();
    const int column = Consiste::IndiceCol(*dbgData, QStringLiteral("USR_CDSERVFILI"));
    if (column >= 0)
        dbgData->Columns()[column]->SetButtonStyle(
            state == TDataSetState::dsInsert ? TColumnButtonStyle::cbsEllipsis : TColumnButtonStyle::cbsNone);
    // No changing the filter in the middle of a line.
    const bool filterOpen = state != TDataSetState::dsEdit && state != TDataSetState::dsInsert;
    for (QWidget* control :
         std::initializer_list<QWidget*>{lblDtLanc, depDataFatu, lblFilial, medCdFilial, btpFilial})
        control->setEnabled(filterOpen);
    // A new line starts with its service code, whichever column the cursor stood on; a paste fills
    // the line itself.
    if (state == TDataSetState::dsInsert && !pasting_)
        dbgData->SetSelectedField(cdsEfetGestUSR_CDSERVFILI);
    updateTotals();
}

void TfrmMediEfeti::sbtExcluirClick(QObject* Sender)
{
    TfrmPadraoSimples::sbtExcluirClick(Sender);
    VerifEmpty();
    if (cdsEfetGest->IsEmpty())
        HabilitaBotoes();
}

void TfrmMediEfeti::sbtCancelarClick(QObject* Sender)
{
    TfrmPadraoSimples::sbtCancelarClick(Sender);
    VerifEmpty();
    if (cdsEfetGest->IsEmpty())
        HabilitaBotoes();
}

void TfrmMediEfeti::FormKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)
{
    TfrmPadraoSimples::FormKeyDown(Sender, Key, Shift);
    if (Key == VirtualKeys::vkF1 && Shift == Qt::NoModifier) {
        Key = 0;
        sbtAjuda->Click();
        return;
    }
    if (Key == VirtualKeys::vkReturn && Shift == Qt::ControlModifier && medCdFilial->hasFocus() &&
        btpFilial->isEnabled()) {
        // The branch's search takes the key the service column's search takes.
        Key = 0;
        btpFilial->Click();
        return;
    }
    if (Key == 'F' && Shift == Qt::ControlModifier) {
        Key = 0;
        if (sbtProcurar->Enabled())
            sbtProcurar->Click();
        return;
    }
    if (Key != VirtualKeys::vkF12 || Shift != Qt::NoModifier)
        return;
    // The control before the page control is the filter's last; its panel's first is the branch code.
    if (QWidget* control = Consiste::SelectNextControl(pgcPadrao, false, true, false))
        Consiste::SelectFirstControl(control->parentWidget());
}

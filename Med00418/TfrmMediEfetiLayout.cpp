#include "Colors.h"
#include "HandlerBinding.h"
#include "ImportGlyph.h"
#include "MessageCatalogue.h"
#include "NetMediEfeti.h"
#include "ScreenFit.h"
#include "TBCDField.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TDBText.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TEdit.h"
#include "TLabel.h"
#include "TMainMenu.h"
#include "TMaskEdit.h"
#include "TMenuItem.h"
#include "TMessages.h"
#include "TNetConnection.h"
#include "TPageControl.h"
#include "TPanel.h"
#include "TScrollBox.h"
#include "TStringField.h"
#include "TTabSheet.h"
#include "TfrmMediEfeti.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeySequence>

namespace {

template <typename T, typename Parent> T* make(Parent* parent, const char* name)
{
    auto* component = new T(parent);
    component->setObjectName(QLatin1String(name));
    return component;
}

QFont labelFont(const QWidget* widget)
{
    QFont font = widget->font();
    font.setBold(true);
    font.setPixelSize(11);
    return font;
}

TLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, QRect bounds)
{
    auto* label = make<TLabel>(parent, name);
    label->SetCaption(caption);
    label->SetAutoSize(false);
    label->setFont(labelFont(label));
    label->SetFontColor(Colors::clWindowText());
    label->SetBounds(bounds.left(), bounds.top(), bounds.width(), bounds.height());
    return label;
}

// What the columns show must fit whatever the font: five code digits next to the editor's search button
// (as wide as a row is high), and the largest amounts.
void fitGrid(TDBGrid& grid)
{
    const QFontMetrics values(grid.font());
    const int button = grid.verticalHeader()->defaultSectionSize();
    ScreenFit::WidenColumn(grid, 0, values.horizontalAdvance(QStringLiteral("00000")) + button);
    for (int column = 2; column < grid.Columns().Count(); ++column)
        ScreenFit::WidenColumn(grid, column, values.horizontalAdvance(QStringLiteral("9.999.999,999")));
    ScreenFit::StretchColumn(grid, 1);
}

void addColumn(TDBGrid* grid, const QString& fieldName, int width, Qt::Alignment titleAlignment)
{
    TColumn* column = grid->Columns().Add();
    column->SetFieldName(fieldName);
    if (width > 0)
        column->SetWidth(width);
    column->Title().SetAlignment(titleAlignment);
}

} // namespace

void TfrmMediEfeti::buildData()
{
    const EfetGestRecordSet efetGest = EfetGestRecordSet::create(this);
    cdsEfetGest = efetGest.cdsEfetGest;
    cdsEfetGestUSR_CDFILIAL = efetGest.cdsEfetGestUSR_CDFILIAL;
    cdsEfetGestUSR_DTEFETGEST = efetGest.cdsEfetGestUSR_DTEFETGEST;
    cdsEfetGestUSR_CDSERVFILI = efetGest.cdsEfetGestUSR_CDSERVFILI;
    cdsEfetGestUSR_QTEFETGEST = efetGest.cdsEfetGestUSR_QTEFETGEST;
    cdsEfetGestUSR_VREFETGEST = efetGest.cdsEfetGestUSR_VREFETGEST;
    cdsEfetGestUSR_VRTTSERVGEST = efetGest.cdsEfetGestUSR_VRTTSERVGEST;
    cdsEfetGestNMSERVICO = efetGest.cdsEfetGestNMSERVICO;
    cdsVerifServ = VerifServRecordSet::create(this).cdsVerifServ;

    const FilialLookup filial = FilialLookup::create(this);
    qryFilial = filial.qryFilial;
    qryFilialCDFILIAL = filial.qryFilialCDFILIAL;
    qryFilialNMFILIAL = filial.qryFilialNMFILIAL;
    dtsFilial = filial.dtsFilial;
    const ServicoLookup servico = ServicoLookup::create(this);
    qryServico = servico.qryServico;
    qryServicoCDSERVFILI = servico.qryServicoCDSERVFILI;
    qryServicoNMSERVICO = servico.qryServicoNMSERVICO;
    dtsServico = servico.dtsServico;

    netMediEfeti = createNetMediEfeti(this);
    dtsPadrao->SetDataSet(cdsEfetGest);
    msgPadrao->SetLines(mediEfetiMessageLines());
}

void TfrmMediEfeti::buildCommands()
{
    SetCaption(QStringLiteral("Medição de Efetivos"));
    SetBounds(212, 128, 602, 337);
    // The definition's text height (13 at 96 dpi): the fixed column widths are drawn for it.
    QFont designFont = font();
    designFont.setPixelSize(11);
    setFont(designFont);
    lblCodTela->SetCaption(QStringLiteral("MED00418"));
    lblCodTela->SetAutoSize(false);
    panMenu->resize(594, panMenu->height());
    dbtNome->move(313, dbtNome->y());
    sbtImprimir->move(181, sbtImprimir->y());
    sbtAjuda->move(252, sbtAjuda->y());
    sbtFechar->move(287, sbtFechar->y());
    for (TButtonFlat* button : {sbtConfirmar, sbtCancelar, sbtIncluir, sbtAlterar, sbtExcluir, sbtProcurar,
                                sbtVerificar, sbtImprimir})
        SetCommandEnabled(button, false);
    mnuListagem->SetEnabled(false);
    mnuConfigImpressora->SetEnabled(false);
    // The screen's own keys for finding a line and for its help (FormKeyDown).
    for (const auto& [button, key] : {std::pair{sbtProcurar, QKeySequence(Qt::CTRL | Qt::Key_F)},
                                      std::pair{sbtAjuda, QKeySequence(Qt::Key_F1)}}) {
        button->SetShortCut(key);
        MenuItemOf(button)->SetShortCut(key);
    }

    btnImporta = make<TButtonFlat>(panMenu, "btnImporta");
    btnImporta->SetBounds(215, 4, 21, 21);
    btnImporta->SetHint(QStringLiteral("Importa Efetivos do Faturamento"));
    btnImporta->SetShowHint(true);
    btnImporta->SetFlat(true);
    btnImporta->SetGlyph(importGlyph());
    btnImporta->SetEnabled(false);

    mnuLinha4 = make<TMenuItem>(this, "mnuLinha4");
    mnuLinha4->SetCaption(QStringLiteral("-"));
    mnuManutencao->Add(mnuLinha4);
    mnuImpEF = make<TMenuItem>(this, "mnuImpEF");
    mnuImpEF->SetCaption(QStringLiteral("Importa Efetivos do &Faturamento"));
    mnuImpEF->SetEnabled(false);
    mnuManutencao->Add(mnuImpEF);
}

void TfrmMediEfeti::buildFilterPanel()
{
    panFiltro = make<TPanel>(this, "panFiltro");
    panFiltro->SetBounds(0, 28, 594, 60);
    panFiltro->SetAlign(TAlign::alTop);
    panFiltro->SetCaption(QString());
    panFiltro->setToolTip(QStringLiteral("%1: volta ao filtro de qualquer ponto da tela")
                              .arg(QKeySequence(Qt::Key_F12).toString(QKeySequence::NativeText)));

    lblFilial = makeLabel(panFiltro, "lblFilial", QStringLiteral("Filial"), {6, 7, 105, 13});
    lblDtLanc = makeLabel(panFiltro, "lblDtLanc", QStringLiteral("Data Faturamento"), {7, 35, 107, 13});

    medCdFilial = make<TMaskEdit>(panFiltro, "medCdFilial");
    medCdFilial->SetBounds(121, 4, 40, 21);
    medCdFilial->SetEditMask(QStringLiteral("9999;0; "));
    medCdFilial->SetMaxLength(4);
    medCdFilial->SetColor(Colors::clInfoBk());
    medCdFilial->SetFontColor(Colors::clInfoText());

    btpFilial = make<TBtnPesquisa>(panFiltro, "btpFilial");
    btpFilial->SetBounds(165, 4, 21, 21);
    const QString searchKey = QKeySequence(Qt::CTRL | Qt::Key_Return).toString(QKeySequence::NativeText);
    btpFilial->SetHint(QStringLiteral("Pesquisar filial (%1)").arg(searchKey));
    btpFilial->setAccessibleDescription(
        QStringLiteral("Abre a lista de filiais para escolher uma; no código da filial, tecle %1.")
            .arg(searchKey));
    btpFilial->SetShowHint(true);
    btpFilial->SetAssociate(medCdFilial);
    btpFilial->SetTitle(QStringLiteral("Filial"));
    btpFilial->SetDataSource(dtsFilial);
    btpFilial->SetEmptyError(QStringLiteral("Não há filial cadastrada."));

    edtNmFilial = make<TEdit>(panFiltro, "edtNmFilial");
    edtNmFilial->SetBounds(189, 4, 296, 21);
    edtNmFilial->setEnabled(false);
    edtNmFilial->SetTabStop(false);
    edtNmFilial->SetColor(Colors::clBtnFace());
    edtNmFilial->SetFontColor(Colors::clBtnText());

    depDataFatu = make<TDateEditPlus>(panFiltro, "depDataFatu");
    depDataFatu->SetBounds(121, 32, 100, 21);
    depDataFatu->SetColor(Colors::clInfoBk());
    depDataFatu->SetFontColor(Colors::clInfoText());
    depDataFatu->SetValidDateColor(Colors::clBlue);
    depDataFatu->SetNomeSemana({QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
                                QStringLiteral("Quarta"), QStringLiteral("Quinta"), QStringLiteral("Sexta"),
                                QStringLiteral("Sábado")});
    depDataFatu->SetSaveTime(false);

    lblFilial->SetFocusControl(medCdFilial);
    lblDtLanc->SetFocusControl(depDataFatu);
    // Each caption shows whole up to the control it names.
    ScreenFit::FitLabel(*lblFilial, medCdFilial->x() - lblFilial->x() - 1);
    ScreenFit::FitLabel(*lblDtLanc, depDataFatu->x() - lblDtLanc->x() - 1);
    setTabOrder(medCdFilial, depDataFatu);
}

void TfrmMediEfeti::buildGridArea()
{
    pgcPadrao = make<TPageControl>(this, "pgcPadrao");
    pgcPadrao->SetBounds(0, 88, 594, 203);
    pgcPadrao->SetAlign(TAlign::alClient);
    tsh = new TTabSheet(pgcPadrao);
    tsh->setObjectName(QStringLiteral("tsh"));
    tsh->SetCaption(QStringLiteral("tsh"));
    tsh->SetTabVisible(false);
    pgcPadrao->SetActivePage(tsh);

    panGrid = make<TPanel>(tsh, "panGrid");
    panGrid->SetBounds(0, 0, 586, 193);
    panGrid->SetAlign(TAlign::alClient);
    panGrid->SetBevelOuter(TBevelCut::bvLowered);
    panGrid->SetCaption(QString());
    scb = make<TScrollBox>(panGrid, "scb");
    scb->SetBounds(1, 1, 584, 191);
    scb->SetAlign(TAlign::alClient);
    scb->SetBorder(false);

    dbgData = make<TDBGrid>(scb, "dbgData");
    dbgData->SetBounds(0, 0, 584, 191);
    dbgData->setAccessibleName(QStringLiteral("Efetivos por serviço"));
    dbgData->SetAlign(TAlign::alClient);
    dbgData->SetBorder(false);
    dbgData->SetColor(Colors::clInfoBk());
    dbgData->SetFontColor(Colors::clInfoText());
    dbgData->SetDataSource(dtsPadrao);
    QFont titleFont = dbgData->font();
    titleFont.setPixelSize(11);
    dbgData->SetTitleFont(titleFont);
    dbgData->SetOptions(dgEditing | dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs |
                        dgConfirmDelete | dgCancelOnExit);
    addColumn(dbgData, QStringLiteral("USR_CDSERVFILI"), 42, Qt::AlignLeft);
    addColumn(dbgData, QStringLiteral("NMSERVICO"), 0, Qt::AlignLeft);
    addColumn(dbgData, QStringLiteral("USR_QTEFETGEST"), 88, Qt::AlignRight);
    addColumn(dbgData, QStringLiteral("USR_VREFETGEST"), 93, Qt::AlignRight);
    addColumn(dbgData, QStringLiteral("USR_VRTTSERVGEST"), 90, Qt::AlignRight);
    fitGrid(*dbgData);
    setTabOrder(depDataFatu, dbgData);
    buildGridMenu();
    watchTotals();
}

void TfrmMediEfeti::wireEvents()
{
    BindHandler(OnActivate, this, "FormActivate");
    BindHandler(btnImporta->OnClick, this, "btnImportaClick");
    BindHandler(mnuImpEF->OnClick, this, "mnuImpEFClick");
    BindHandler(panFiltro->OnEnter, this, "panFiltroEnter");
    BindHandler(panFiltro->OnExit, this, "panFiltroExit");
    BindHandler(medCdFilial->OnChange, this, "medCdFilialChange");
    BindHandler(medCdFilial->OnExit, this, "medCdFilialExit");
    BindHandler(btpFilial->OnBeforePesq, this, "btpFilialBeforePesq");
    BindHandler(btpFilial->OnAfterPesq, this, "btpFilialAfterPesq");
    BindHandler(btpFilial->OnCancelPesq, this, "btpFilialCancelPesq");
    BindHandler(depDataFatu->OnExit, this, "depDataFatuExit");
    BindHandler(dbgData->OnColExit, this, "dbgDataColExit");
    BindHandler(dbgData->OnEditButtonClick, this, "dbgDataEditButtonClick");
    BindHandler(dbgData->OnKeyDown, this, "dbgDataKeyDown");
    BindHandler(dbgData->OnKeyPress, this, "dbgDataKeyPress");
    BindHandler(dbgData->OnCanEditModify, this, "dbgDataCanEditModify");
    BindHandler(cdsEfetGest->AfterEdit, this, "cdsEfetGestAfterEdit");
    BindHandler(cdsEfetGest->AfterInsert, this, "cdsEfetGestAfterEdit");
    BindHandler(cdsEfetGestUSR_VRTTSERVGEST->OnChange, this, "cdsEfetGestUSR_VRTTSERVGESTChange");
    BindHandler(cdsEfetGestUSR_CDSERVFILI->OnChange, this, "cdsEfetGestUSR_CDSERVFILIChange");
    BindHandler(cdsEfetGest->BeforePost, this, "cdsEfetGestBeforePost");
    BindHandler(cdsEfetGest->AfterPost, this, "cdsEfetGestAfterPost");
    BindHandler(cdsEfetGest->AfterCancel, this, "cdsEfetGestAfterCancel");
    BindHandler(cdsEfetGest->AfterDelete, this, "cdsEfetGestAfterPost");
    BindHandler(cdsEfetGest->BeforeDelete, this, "cdsEfetGestBeforeDelete");
    BindHandler(netMediEfeti->BeforeConnect, this, "netMediEfetiBeforeConnect");
}

#include "TfrmPadraoSimples.h"

#include "Application.h"
#include "EAbort.h"
#include "Exception.h"
#include "HandlerBinding.h"
#include "TButtonFlat.h"
#include "TDBGrid.h"
#include "TDBText.h"
#include "TDataSet.h"
#include "TDataSource.h"
#include "TLabel.h"
#include "TMainMenu.h"
#include "TMenuItem.h"
#include "TMessages.h"
#include "TPanel.h"
#include "TPrintDialog.h"
#include "TPrinterSetupDialog.h"
#include "UserPrompts.h"

using CommandGlyphs::Command;

namespace {

const QStringList standardMessages = {
    QStringLiteral("Excl|Confirma exclusão?"),
    QStringLiteral("Canc|Confirma cancelamento?"),
    QStringLiteral("Grav|Confirma gravação?"),
    QStringLiteral("Pend|A linha em edição ainda não foi gravada. Gravar antes de continuar?"),
};

} // namespace

TfrmPadraoSimples::TfrmPadraoSimples(QWidget* parent) : TForm(parent)
{
    setObjectName(QStringLiteral("frmPadraoSimples"));
    SetKeyPreview(true);
    buildMenu();
    buildCommandBar();
    showCommandKeys();
    buildComponents();
    bindHandlers();
}

TfrmPadraoSimples::~TfrmPadraoSimples() = default;

void TfrmPadraoSimples::buildMenu()
{
    mnuMenu = new TMainMenu(this);
    mnuMenu->setObjectName(QStringLiteral("mnuMenu"));
    mnuOperacao = addEntry(nullptr, "mnuOperacao", QStringLiteral("&Operação"));
    mnuIncluir = addEntry(mnuOperacao, "mnuIncluir", QStringLiteral("&Incluir"));
    mnuAlterar = addEntry(mnuOperacao, "mnuAlterar", QStringLiteral("&Alterar"));
    mnuExcluir = addEntry(mnuOperacao, "mnuExcluir", QStringLiteral("&Excluir"));
    mnuProcurar = addEntry(mnuOperacao, "mnuProcurar", QStringLiteral("&Procurar"));
    mnuVerificar = addEntry(mnuOperacao, "mnuVerificar", QStringLiteral("&Verificar"));
    addEntry(mnuOperacao, "mnuLinha1", QStringLiteral("-"));
    mnuConfirmar = addEntry(mnuOperacao, "mnuConfirmar", QStringLiteral("&Confirmar"));
    mnuCancelar = addEntry(mnuOperacao, "mnuCancelar", QStringLiteral("Ca&ncelar"));
    addEntry(mnuOperacao, "mnuLinha2", QStringLiteral("-"));
    mnuImprimir = addEntry(mnuOperacao, "mnuImprimir", QStringLiteral("Imp&rimir"));
    mnuListagem = addEntry(mnuOperacao, "mnuListagem", QStringLiteral("&Listagem"));
    mnuConfigImpressora =
        addEntry(mnuOperacao, "mnuConfigImpressora", QStringLiteral("Configurar Impre&ssora"));
    addEntry(mnuOperacao, "mnuLinha3", QStringLiteral("-"));
    mnuAjuda = addEntry(mnuOperacao, "mnuAjuda", QStringLiteral("Aj&uda"));
    mnuFechar = addEntry(mnuOperacao, "mnuFechar", QStringLiteral("&Fechar"));
    mnuManutencao = addEntry(nullptr, "mnuManutencao", QStringLiteral("&Manutenção"));
}

void TfrmPadraoSimples::showCommandKeys()
{
    // The keys the data grid gives these commands.
    const std::pair<TButtonFlat*, QKeySequence> keys[] = {
        {sbtIncluir, QKeySequence(Qt::Key_Insert)},
        {sbtAlterar, QKeySequence(Qt::Key_F2)},
        {sbtExcluir, QKeySequence(Qt::CTRL | Qt::Key_Delete)},
        {sbtCancelar, QKeySequence(Qt::Key_Escape)},
    };
    for (const auto& [button, key] : keys) {
        button->SetShortCut(key);
        MenuItemOf(button)->SetShortCut(key);
    }
}

TMenuItem* TfrmPadraoSimples::addEntry(TMenuItem* menu, const char* name, const QString& caption)
{
    auto* entry = new TMenuItem(this);
    entry->setObjectName(QLatin1String(name));
    entry->SetCaption(caption);
    if (menu)
        menu->Add(entry);
    else
        mnuMenu->Add(entry);
    return entry;
}

void TfrmPadraoSimples::buildCommandBar()
{
    panMenu = new TPanel(this);
    panMenu->setObjectName(QStringLiteral("panMenu"));
    panMenu->SetBounds(0, 0, 594, 28);
    panMenu->SetAlign(TAlign::alTop);

    sbtIncluir = addButton("sbtIncluir", 4, Command::Insert, QStringLiteral("Incluir"));
    sbtAlterar = addButton("sbtAlterar", 25, Command::Edit, QStringLiteral("Alterar"));
    sbtExcluir = addButton("sbtExcluir", 46, Command::Delete, QStringLiteral("Excluir"));
    sbtProcurar = addButton("sbtProcurar", 67, Command::Search, QStringLiteral("Procurar"));
    sbtVerificar = addButton("sbtVerificar", 88, Command::Refresh, QStringLiteral("Verificar"));
    sbtConfirmar = addButton("sbtConfirmar", 113, Command::Confirm, QStringLiteral("Confirmar"));
    sbtCancelar = addButton("sbtCancelar", 134, Command::Cancel, QStringLiteral("Cancelar"));
    sbtImprimir = addButton("sbtImprimir", 159, Command::Print, QStringLiteral("Imprimir"));
    sbtAjuda = addButton("sbtAjuda", 184, Command::Help, QStringLiteral("Ajuda"));
    sbtFechar = addButton("sbtFechar", 209, Command::Close, QStringLiteral("Fechar"));
    pairs_ = {{sbtIncluir, mnuIncluir},   {sbtAlterar, mnuAlterar},     {sbtExcluir, mnuExcluir},
              {sbtProcurar, mnuProcurar}, {sbtVerificar, mnuVerificar}, {sbtConfirmar, mnuConfirmar},
              {sbtCancelar, mnuCancelar}, {sbtImprimir, mnuImprimir},   {sbtAjuda, mnuAjuda},
              {sbtFechar, mnuFechar}};

    dbtNome = new TDBText(panMenu);
    dbtNome->setObjectName(QStringLiteral("dbtNome"));
    dbtNome->SetBounds(260, 7, 200, 15);
    lblCodTela = new TLabel(panMenu);
    lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
    lblCodTela->SetBounds(520, 7, 70, 15);
    QFont bold = lblCodTela->font();
    bold.setBold(true);
    lblCodTela->setFont(bold);
    lblCodTela->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

TButtonFlat* TfrmPadraoSimples::addButton(const char* name, int left, Command glyph, const QString& hint)
{
    auto* button = new TButtonFlat(panMenu);
    button->setObjectName(QLatin1String(name));
    button->SetBounds(left, 3, 21, 21);
    button->SetGlyph(CommandGlyphs::Glyph(glyph));
    button->SetHint(hint);
    return button;
}

void TfrmPadraoSimples::buildComponents()
{
    dtsPadrao = new TDataSource(this);
    dtsPadrao->setObjectName(QStringLiteral("dtsPadrao"));
    prdImprimir = new TPrintDialog(this);
    prdImprimir->setObjectName(QStringLiteral("prdImprimir"));
    psdConfigurar = new TPrinterSetupDialog(this);
    psdConfigurar->setObjectName(QStringLiteral("psdConfigurar"));
    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));
    msgMensagensPadroes = new TMessages(this);
    msgMensagensPadroes->setObjectName(QStringLiteral("msgMensagensPadroes"));
    msgMensagensPadroes->SetLines(standardMessages);
}

void TfrmPadraoSimples::bindHandlers()
{
    BindHandler(OnCreate, this, "FormCreate");
    BindHandler(OnCloseQuery, this, "FormCloseQuery");
    BindHandler(OnClose, this, "FormClose");
    BindHandler(OnKeyDown, this, "FormKeyDown");
    BindHandler(dtsPadrao->OnStateChange, this, "dtsPadraoStateChange");
    for (const auto& [button, entry] : std::as_const(pairs_)) {
        const QByteArray name = button->objectName().toLatin1();
        BindHandler(button->OnClick, this, QByteArray(name + "Click").constData());
        BindHandler(entry->OnClick, this, QByteArray(entry->objectName().toLatin1() + "Click").constData());
    }
    BindHandler(mnuConfigImpressora->OnClick, this, "mnuConfigImpressoraClick");
}

TMenuItem* TfrmPadraoSimples::MenuItemOf(const TButtonFlat* button) const
{
    for (const auto& [b, entry] : pairs_) {
        if (b == button)
            return entry;
    }
    return nullptr;
}

void TfrmPadraoSimples::SetCommandEnabled(TButtonFlat* button, bool enabled)
{
    button->SetEnabled(enabled);
    if (TMenuItem* entry = MenuItemOf(button))
        entry->SetEnabled(enabled);
}

TDataSet& TfrmPadraoSimples::dataSet() const
{
    TDataSet* ds = dtsPadrao->DataSet();
    if (!ds)
        throw Exception(QStringLiteral("A tela não tem conjunto de dados."));
    return *ds;
}

void TfrmPadraoSimples::commitTyping()
{
    // A close button or a menu outside the form gives the grid no chance to write the cell itself.
    for (TDBGrid* grid : findChildren<TDBGrid*>()) {
        if (grid->DataSource() == dtsPadrao)
            grid->UpdateData();
    }
}

void TfrmPadraoSimples::SettleOpenLine()
{
    TDataSet* ds = dtsPadrao->DataSet();
    if (!ds || (ds->State() != TDataSetState::dsEdit && ds->State() != TDataSetState::dsInsert))
        return;
    commitTyping();
    if (!ds->Modified()) {
        ds->Cancel();
        return;
    }
    Application& application = Application::instance();
    switch (application.Prompts().AskOpenLine(msgMensagensPadroes->Msg(QStringLiteral("Pend")))) {
    case UserPrompts::OpenLineAnswer::Save: {
        // A save the server refused is undone and reported inside the post; the user reads why
        // before anything goes on.
        const int errors = application.ErrorsShown();
        sbtConfirmar->Click();
        if (application.ErrorsShown() != errors)
            Abort();
        break;
    }
    case UserPrompts::OpenLineAnswer::Discard:
        sbtCancelar->Click();
        break;
    case UserPrompts::OpenLineAnswer::Stay:
        Abort();
    }
    // A handler may have kept the line open without an error.
    if (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert)
        Abort();
}

void TfrmPadraoSimples::applyCommandState()
{
    const TDataSetState state = dtsPadrao->State();
    const bool browse = state == TDataSetState::dsBrowse;
    const bool editing = state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
    for (TButtonFlat* button : {sbtIncluir, sbtAlterar, sbtExcluir, sbtProcurar, sbtVerificar})
        SetCommandEnabled(button, browse);
    SetCommandEnabled(sbtConfirmar, editing);
    SetCommandEnabled(sbtCancelar, editing);
}

void TfrmPadraoSimples::FormCreate(QObject*)
{
    applyCommandState();
}

void TfrmPadraoSimples::FormCloseQuery(QObject*, bool&)
{
    SettleOpenLine();
}

void TfrmPadraoSimples::FormClose(QObject*, TCloseAction& action)
{
    action = TCloseAction::caFree;
}

void TfrmPadraoSimples::FormKeyDown(QObject*, int&, Qt::KeyboardModifiers) {}

void TfrmPadraoSimples::dtsPadraoStateChange(QObject*)
{
    applyCommandState();
}

void TfrmPadraoSimples::sbtIncluirClick(QObject*)
{
    dataSet().Insert();
}

void TfrmPadraoSimples::sbtAlterarClick(QObject*)
{
    dataSet().Edit();
}

void TfrmPadraoSimples::sbtExcluirClick(QObject*)
{
    TDataSet& ds = dataSet();
    if (ds.IsEmpty())
        return;
    if (Application::instance().Prompts().Confirm(msgMensagensPadroes->Msg(QStringLiteral("Excl"))))
        ds.Delete();
}

void TfrmPadraoSimples::sbtProcurarClick(QObject*) {}

void TfrmPadraoSimples::sbtVerificarClick(QObject*) {}

void TfrmPadraoSimples::sbtConfirmarClick(QObject*)
{
    dataSet().Post();
}

void TfrmPadraoSimples::sbtCancelarClick(QObject*)
{
    dataSet().Cancel();
}

void TfrmPadraoSimples::sbtImprimirClick(QObject*) {}

void TfrmPadraoSimples::sbtAjudaClick(QObject*) {}

void TfrmPadraoSimples::sbtFecharClick(QObject*)
{
    Close();
}

void TfrmPadraoSimples::mnuIncluirClick(QObject*)
{
    sbtIncluir->Click();
}

void TfrmPadraoSimples::mnuAlterarClick(QObject*)
{
    sbtAlterar->Click();
}

void TfrmPadraoSimples::mnuExcluirClick(QObject*)
{
    sbtExcluir->Click();
}

void TfrmPadraoSimples::mnuProcurarClick(QObject*)
{
    sbtProcurar->Click();
}

void TfrmPadraoSimples::mnuVerificarClick(QObject*)
{
    sbtVerificar->Click();
}

void TfrmPadraoSimples::mnuConfirmarClick(QObject*)
{
    sbtConfirmar->Click();
}

void TfrmPadraoSimples::mnuCancelarClick(QObject*)
{
    sbtCancelar->Click();
}

void TfrmPadraoSimples::mnuImprimirClick(QObject*)
{
    sbtImprimir->Click();
}

void TfrmPadraoSimples::mnuAjudaClick(QObject*)
{
    sbtAjuda->Click();
}

void TfrmPadraoSimples::mnuFecharClick(QObject*)
{
    sbtFechar->Click();
}

void TfrmPadraoSimples::mnuConfigImpressoraClick(QObject*)
{
    psdConfigurar->Execute();
}

#pragma once

#include "CommandGlyphs.h"
#include "TButtonFlat.h"
#include "TDBText.h"
#include "TDataSource.h"
#include "TForm.h"
#include "TLabel.h"
#include "TMainMenu.h"
#include "TMenuItem.h"
#include "TMessages.h"
#include "TPanel.h"
#include "TPrintDialog.h"
#include "TPrinterSetupDialog.h"
#include "frm_export.h"

#include <QList>
#include <utility>

class TDataSet;

// The standard data-entry screen: the command bar with its ten command buttons, the menu with an entry
// paired with each button, the data source the commands work on, the print dialogs and two message
// catalogues. Its handlers are bound by name and are virtual slots: a screen that derives from it
// overrides a handler of the same name and calls the base where it wants the standard behaviour.
// The commands act on dtsPadrao's data set; the buttons and their entries follow dtsPadrao's state.
class FRM_EXPORT TfrmPadraoSimples : public TForm {
    Q_OBJECT

public:
    explicit TfrmPadraoSimples(QWidget* parent = nullptr);
    ~TfrmPadraoSimples() override;

    // The menu entry paired with a command button; null for any other button.
    TMenuItem* MenuItemOf(const TButtonFlat* button) const;
    // Sets a command button and its menu entry alike.
    void SetCommandEnabled(TButtonFlat* button, bool enabled);
    // Before a step that would drop a line still open in dtsPadrao's data set (inserted or changed, not
    // stored), asks the user to store it, discard it or stay; storing is the confirm command, with its
    // checks. Returns once no line is open; raises EAbort when the user stays, or the post's refusal
    // (already shown) when it is refused, the line still open; raises EAbort too when storing reported
    // an error of its own (a save the server refused). An untouched line goes without asking.
    void SettleOpenLine();

    TLabel* lblCodTela;
    TPanel* panMenu;
    TDBText* dbtNome;
    TButtonFlat* sbtIncluir;
    TButtonFlat* sbtAlterar;
    TButtonFlat* sbtExcluir;
    TButtonFlat* sbtProcurar;
    TButtonFlat* sbtVerificar;
    TButtonFlat* sbtConfirmar;
    TButtonFlat* sbtCancelar;
    TButtonFlat* sbtImprimir;
    TButtonFlat* sbtAjuda;
    TButtonFlat* sbtFechar;
    TMainMenu* mnuMenu;
    TMenuItem* mnuOperacao;
    TMenuItem* mnuIncluir;
    TMenuItem* mnuAlterar;
    TMenuItem* mnuExcluir;
    TMenuItem* mnuProcurar;
    TMenuItem* mnuVerificar;
    TMenuItem* mnuConfirmar;
    TMenuItem* mnuCancelar;
    TMenuItem* mnuImprimir;
    TMenuItem* mnuListagem;
    TMenuItem* mnuConfigImpressora;
    TMenuItem* mnuAjuda;
    TMenuItem* mnuFechar;
    TMenuItem* mnuManutencao;
    TDataSource* dtsPadrao;
    TPrintDialog* prdImprimir;
    TPrinterSetupDialog* psdConfigurar;
    TMessages* msgPadrao;
    TMessages* msgMensagensPadroes;

public slots:
    virtual void FormCreate(QObject* sender);
    // Settles an open line first: nothing typed is dropped by closing.
    virtual void FormCloseQuery(QObject* sender, bool& canClose);
    // Lets the screen go: the instance is released once closed.
    virtual void FormClose(QObject* sender, TCloseAction& action);
    virtual void FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);
    // Browse: insert, edit, delete, search and refresh on, confirm and cancel off; edit or insert the
    // other way round; any other state: all of them off. Each menu entry follows its button.
    virtual void dtsPadraoStateChange(QObject* sender);

    virtual void sbtIncluirClick(QObject* sender);
    virtual void sbtAlterarClick(QObject* sender);
    // Asks for confirmation, then deletes the current line.
    virtual void sbtExcluirClick(QObject* sender);
    virtual void sbtProcurarClick(QObject* sender);
    virtual void sbtVerificarClick(QObject* sender);
    virtual void sbtConfirmarClick(QObject* sender);
    virtual void sbtCancelarClick(QObject* sender);
    virtual void sbtImprimirClick(QObject* sender);
    virtual void sbtAjudaClick(QObject* sender);
    virtual void sbtFecharClick(QObject* sender);

    // Each entry runs its button's Click().
    void mnuIncluirClick(QObject* sender);
    void mnuAlterarClick(QObject* sender);
    void mnuExcluirClick(QObject* sender);
    void mnuProcurarClick(QObject* sender);
    void mnuVerificarClick(QObject* sender);
    void mnuConfirmarClick(QObject* sender);
    void mnuCancelarClick(QObject* sender);
    void mnuImprimirClick(QObject* sender);
    void mnuAjudaClick(QObject* sender);
    void mnuFecharClick(QObject* sender);
    void mnuConfigImpressoraClick(QObject* sender);

private:
    void buildCommandBar();
    void showCommandKeys();
    void buildMenu();
    void buildComponents();
    void bindHandlers();
    TButtonFlat* addButton(const char* name, int left, CommandGlyphs::Command glyph, const QString& hint);
    TMenuItem* addEntry(TMenuItem* menu, const char* name, const QString& caption);
    void applyCommandState();
    // dtsPadrao's data set; an error when there is none.
    TDataSet& dataSet() const;
    // Writes what is being typed in the grids on dtsPadrao into their fields.
    void commitTyping();

    QList<std::pair<TButtonFlat*, TMenuItem*>> pairs_;
};

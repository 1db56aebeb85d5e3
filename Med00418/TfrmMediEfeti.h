#pragma once

#include "Currency.h"
#include "EfetGestRecordSet.h"
#include "FilialLookup.h"
#include "RemoteValue.h"
#include "ServicoLookup.h"
#include "TDateTime.h"
#include "TableRows.h"
#include "TfrmPadraoSimples.h"
#include "VerifServRecordSet.h"
#include "med00418_export.h"

#include <QSet>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTextBrowser;
class PasteReader;
class RdmMediEfeti;
class TBtnPesquisa;
class TDateEditPlus;
class TDBGrid;
class TEdit;
class TField;
class TLabel;
class TMaskEdit;
class TNetConnection;
class TPageControl;
class TPanel;
class TScrollBox;
class TTabSheet;

// "Medição de Efetivos": the staff headcount a branch bills per service on a billing date, loaded from
// the application server, edited in the grid under checks and saved to the server line by line.
class MED00418_EXPORT TfrmMediEfeti : public TfrmPadraoSimples {
    Q_OBJECT

public:
    explicit TfrmMediEfeti(QWidget* parent = nullptr);
    ~TfrmMediEfeti() override;

    // Components added by this screen, named as in its definition.
    TButtonFlat* btnImporta = nullptr;
    TMenuItem* mnuLinha4 = nullptr;
    TMenuItem* mnuImpEF = nullptr;
    TPanel* panFiltro = nullptr;
    TLabel* lblFilial = nullptr;
    TLabel* lblDtLanc = nullptr;
    TMaskEdit* medCdFilial = nullptr;
    TBtnPesquisa* btpFilial = nullptr;
    TEdit* edtNmFilial = nullptr;
    TDateEditPlus* depDataFatu = nullptr;
    TPageControl* pgcPadrao = nullptr;
    TTabSheet* tsh = nullptr;
    TPanel* panGrid = nullptr;
    TScrollBox* scb = nullptr;
    TDBGrid* dbgData = nullptr;
    TNetConnection* netMediEfeti = nullptr;

    TClientDataSet* cdsEfetGest = nullptr;
    TStringField* cdsEfetGestUSR_CDFILIAL = nullptr;
    TDateTimeField* cdsEfetGestUSR_DTEFETGEST = nullptr;
    TStringField* cdsEfetGestUSR_CDSERVFILI = nullptr;
    TBCDField* cdsEfetGestUSR_QTEFETGEST = nullptr;
    TBCDField* cdsEfetGestUSR_VREFETGEST = nullptr;
    TBCDField* cdsEfetGestUSR_VRTTSERVGEST = nullptr;
    TStringField* cdsEfetGestNMSERVICO = nullptr;
    TClientDataSet* cdsVerifServ = nullptr;
    TADOIBQuery* qryFilial = nullptr;
    TADOIBStringField* qryFilialCDFILIAL = nullptr;
    TADOIBStringField* qryFilialNMFILIAL = nullptr;
    TDataSource* dtsFilial = nullptr;
    TADOIBQuery* qryServico = nullptr;
    TADOIBStringField* qryServicoCDSERVFILI = nullptr;
    TADOIBStringField* qryServicoNMSERVICO = nullptr;
    TDataSource* dtsServico = nullptr;

    // Shared steps of the handlers.
    void Vd_Filial(bool required);
    void Vd_Servico();
    void CalculaTotal();
    void ControlaBotoes();
    void HabilitaBotoes();
    void VerifEmpty();

public slots:
    // Lifecycle.
    void FormCreate(QObject* Sender) override;
    void FormActivate(QObject* Sender);
    void FormClose(QObject* Sender, TCloseAction& Action) override;
    void netMediEfetiBeforeConnect(QObject* Sender);
    // Filter panel and loading.
    void panFiltroEnter(QObject* Sender);
    void panFiltroExit(QObject* Sender);
    void medCdFilialChange(QObject* Sender);
    void medCdFilialExit(QObject* Sender);
    void btpFilialBeforePesq(QObject* Sender, bool& Continue);
    void btpFilialAfterPesq(QObject* Sender);
    void depDataFatuExit(QObject* Sender);
    // Grid.
    void dbgDataColExit(QObject* Sender);
    void dbgDataEditButtonClick(QObject* Sender);
    void dbgDataKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);
    void dbgDataKeyPress(QObject* Sender, QChar& Key);
    void cdsEfetGestUSR_CDSERVFILIChange(TField* Sender);
    void sbtIncluirClick(QObject* Sender) override;
    // Posting and saving.
    void cdsEfetGestBeforePost(TDataSet* DataSet);
    void cdsEfetGestAfterPost(TDataSet* DataSet);
    void cdsEfetGestAfterCancel(TDataSet* DataSet);
    void cdsEfetGestDTFATURAMSetText(TField* Sender, const QString& Text);
    // Command state.
    void dtsPadraoStateChange(QObject* Sender) override;
    void sbtExcluirClick(QObject* Sender) override;
    void sbtCancelarClick(QObject* Sender) override;
    void FormKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift) override;
    // Import and refresh.
    void btnImportaClick(QObject* Sender);
    void mnuImpEFClick(QObject* Sender);
    void sbtVerificarClick(QObject* Sender) override;
    // Help and finding a line.
    void sbtAjudaClick(QObject* Sender) override;
    void sbtProcurarClick(QObject* Sender) override;

private:
    // TfrmMediEfetiLayout.cpp
    void buildFilterPanel();
    void buildGridArea();
    void buildCommands();
    void buildData();
    void wireEvents();

    RdmMediEfeti server() const;
    // Replaces the list with the server's lines of the filter's branch and date, the busy indicator
    // showing while the call waits.
    void reloadLines();
    // The list of the filter's branch and date from the server; on failure the error is shown and
    // the list left empty and marked not loaded, so that no line stands under a filter it does not
    // belong to. True when it was loaded.
    bool loadLines();
    // Attaches the grid to the list just loaded and sets the commands for it.
    void showLoadedList();
    // A list that could not be read: the grid stays detached, only refresh (and F12) is offered, and
    // the status bar says why until a load succeeds.
    void showListNotLoaded();
    void setRowCommands(bool enabled);
    [[noreturn]] void refuseAt(TField* field, const QString& messageKey);
    // Whether the service already has a line on the shown branch and date (the server's answer).
    bool serviceHasLine(const QString& service);

    // Lines stay under the branch and date they were loaded for; a total never goes out stale.
public slots:
    void btpFilialCancelPesq(QObject* Sender);
    void dbgDataCanEditModify(QObject* Sender, TField* Field, bool& CanModify);
    void cdsEfetGestAfterEdit(TDataSet* DataSet);
    void cdsEfetGestUSR_VRTTSERVGESTChange(TField* Sender);
    void cdsEfetGestBeforeDelete(TDataSet* DataSet);

private:
    // TfrmMediEfetiConflict.cpp. A change another user's save overtook: names the line, what was saved
    // and what this user typed, and reads the list again with the cursor on the line. False when the
    // line stands on the server as it was opened (the refusal had another reason).
    bool explainConflict(const QString& typed);
    void showConflictLine(const QString& code);
    // Staff, price and total of the current line as the grid shows them.
    QString typedValues() const;

    // Staff or price differ from what the open line's total was last written against.
    bool totalIsStale() const;
    // After a save whose outcome is unknown: reads the list again once the data set is browsed and no
    // paste runs, then tells the user the change may have been saved, and whether the list now shows
    // what the server holds or could not be read (it is then left not loaded, as a failed load leaves it).
    void rereadWhenIdle();
    void showWhatTheServerHolds();

    // The branch and billing date that passed the filter checks when the lines shown were loaded:
    // refresh, import, service checks and posting use these, whatever the filter shows meanwhile.
    QString shownBranch_;
    TDateTime shownDate_;
    // The branch the lookup stood on before a search (empty: none), for a search left without a choice.
    QString branchBeforeSearch_;
    // Staff and price when the open line's total was last written, or when the line was opened.
    Currency totalStaff_;
    Currency totalPrice_;
    // The message of a save that may or may not have landed, until the list is read again.
    QString unsureSave_;
    // The stored line as it stood when opened for a change or a delete (code empty for a new line), and
    // whether the change is a delete.
    struct StoredLine {
        QString code;
        QString name;
        QString values;
    };
    StoredLine lineBefore_;
    bool deleting_ = false;
    // A paste runs: it stops at a save of unknown outcome and reads the list again itself.
    bool pasting_ = false;
    // Why the list of the filter could not be read; empty while a list is loaded.
    QString notLoaded_;
    // What the last command did to the list ("3 linhas importadas."), shown beside the totals until
    // the list is read again or the filter entered.
    QString statusNote_;

    // TfrmMediEfetiLineHistory.cpp: the grid's context menu, beside the keys and commands.
public:
    QMenu* mnuGrid = nullptr;
    QAction* mnuHistLinha = nullptr;
    QAction* mnuCopiar = nullptr;
    QAction* mnuCopiarLista = nullptr;
    QAction* mnuColar = nullptr;
    QAction* mnuExportar = nullptr;
    // Shows, newest first, the changes the server recorded for the current line, a page at a time.
    void ShowLineHistory();
    // One page of the line's history as the dialog shows it; `cursor` as GetHistEfetGest takes it.
    TableRows lineHistoryPage(const QString& service, QString& cursor);

    // TfrmMediEfetiPaste.cpp. Adds each tab-separated row (code, staff, price, optional total, or the
    // columns of the list copy) as a new line through the checks and save of a typed line; a title row
    // and blank rows are skipped. The rows refused are then listed with their reasons in one dialog;
    // nothing of them is stored. A paste of more than one block shows its progress and can be called off
    // between blocks: the rows not reached are listed as not pasted.
    void PasteLines(const QString& text);
    // Rows checked and saved together by a paste, 1 to the server's most per check (1: each row on its
    // own, as typed).
    void SetPasteBlockRows(int rows);
    // TfrmMediEfetiCopy.cpp. The selected cell, or every line, to the clipboard as tab-separated text
    // under the column titles; every line to a CSV file the user names.
    void CopyCell();
    void CopyList();
    void ExportList();

private:
    void buildGridMenu();
    // TfrmMediEfetiTotals.cpp. Keeps the dynamic property "statusText" (shown by the host's status bar)
    // at the number of lines and the sums of staff and totals, in fixed point, as the list changes.
    void watchTotals();
    void updateTotals();
    // The paste keys and the grid menu's "Colar" add lines: the list is browsed, no cell is being
    // edited, and the clipboard holds text.
    bool pastesLines() const;
    void pasteClipboard();
    // The reason the row was refused; empty when it was stored, or, in a block, posted for its save.
    QString pasteLine(const PasteReader& reader, const QStringList& cells, QStringList& errors);
    struct PasteRow;
    struct PasteRun;
    // The rows that hold a line, the title row and blank rows left out.
    static QList<PasteRow> pastedRows(const QString& text, const PasteReader& reader);
    // The block's service codes as the check writes them, each once; rows that cannot be read add none.
    QStringList pastedServices(const PasteReader& reader, const QList<PasteRow>& block);
    // Up to pasteBlockRows_ rows: one service check for all, each row through the checks of a typed line,
    // then one save of all it posted. A block the server refuses goes again row by row.
    void pasteBlock(const PasteReader& reader, const QList<PasteRow>& block, PasteRun& run,
                    QStringList& errors);
    // Saves the lines the block posted in one change set. False when the server refused it (nothing of
    // it is kept); true when saved or of unknown outcome (unsureSave_ then says so).
    bool saveBlock();
    // Each row checked and saved on its own, stopping at a save of unknown outcome.
    void pasteOneByOne(const PasteReader& reader, const QList<PasteRow>& block, PasteRun& run,
                       QStringList& errors);
    // While a block is posted: the services known to have a line, which the service check reads instead
    // of asking the server for each row; posting keeps the lines for the block's one save.
    QSet<QString>* checkedServices_ = nullptr;
    int pasteBlockRows_ = 1000;

    // TfrmMediEfetiHelp.cpp: the screen's help, from the page shipped inside the module, in a window
    // of its own that stays open beside the screen.
public:
    QTextBrowser* hlpMediEfeti = nullptr;
    // TfrmMediEfetiFind.cpp: the find box under the grid. As the user types, the cursor goes to the first
    // line whose service code starts with the digits typed, or whose name holds the words typed (case and
    // accents aside). Enter or Esc closes it, leaving the cursor on the line found.
    TPanel* panProcurar = nullptr;
    QLineEdit* edtProcurar = nullptr;
    QLabel* lblProcurarNada = nullptr;

private:
    void buildFindBox();
    void findLine(const QString& text);
    void closeFindBox();

    // TfrmMediEfetiLifecycle.cpp
    // Hands the reservation back. When the server cannot be reached, shows why and asks whether to close
    // anyway; raises EAbort when the user keeps the screen.
    void releaseReservation();
    // The server's answer to the release, the busy sign up while it is awaited.
    RemoteValue releasedOnServer();
};

#pragma once

#include "Currency.h"
#include "EfetGestRecordSet.h"
#include "FilialLookup.h"
#include "ServicoLookup.h"
#include "TDateTime.h"
#include "TableRows.h"
#include "TfrmPadraoSimples.h"
#include "VerifServRecordSet.h"
#include "med00418_export.h"

class QAction;
class QMenu;
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
    // the list left empty, so that no line stands under a filter it does not belong to.
    void loadLines();
    void setRowCommands(bool enabled);
    [[noreturn]] void refuseAt(TField* field, const QString& messageKey);

    // Lines stay under the branch and date they were loaded for; a total never goes out stale.
public slots:
    void btpFilialCancelPesq(QObject* Sender);
    void dbgDataCanEditModify(QObject* Sender, TField* Field, bool& CanModify);
    void cdsEfetGestAfterEdit(TDataSet* DataSet);
    void cdsEfetGestUSR_VRTTSERVGESTChange(TField* Sender);

private:
    // Staff or price differ from what the open line's total was last written against.
    bool totalIsStale() const;
    // After a save whose outcome is unknown: reads the list again once the data set is browsed and no
    // paste runs, then tells the user the change may have been saved, and whether the list now shows
    // what the server holds or could not be read (it is then emptied, as a failed load leaves it).
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
    // A paste runs: it stops at a save of unknown outcome and reads the list again itself.
    bool pasting_ = false;

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
    // nothing of them is stored.
    void PasteLines(const QString& text);
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
    // The reason the row was refused; empty when it was stored.
    QString pasteLine(const PasteReader& reader, const QStringList& cells, QStringList& errors);

    // TfrmMediEfetiLifecycle.cpp
    // Hands the reservation back. When the server cannot be reached, shows why and asks whether to close
    // anyway; raises EAbort when the user keeps the screen.
    void releaseReservation();
};

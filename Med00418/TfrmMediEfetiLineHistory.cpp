#include "Application.h"
#include "HistEfetGestRecordSet.h"
#include "RdmMediEfeti.h"
#include "Showavi.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TField.h"
#include "TStringField.h"
#include "TfrmMediEfeti.h"
#include "UserPrompts.h"

#include <QDateTime>
#include <QKeySequence>
#include <QLocale>
#include <QMenu>
#include <QScopeGuard>
#include <memory>

namespace {

QString kindCaption(const QString& kind)
{
    static const QHash<QString, QString> captions{{QStringLiteral("insert"), QStringLiteral("Inclusão")},
                                                  {QStringLiteral("update"), QStringLiteral("Alteração")},
                                                  {QStringLiteral("delete"), QStringLiteral("Exclusão")},
                                                  {QStringLiteral("import"), QStringLiteral("Importação")}};
    return captions.value(kind, kind);
}

// The moment in the user's own time and locale.
QString localTime(const QString& utc)
{
    const QDateTime when = QDateTime::fromString(utc, Qt::ISODateWithMs);
    return when.isValid() ? QLocale().toString(when.toLocalTime(), QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                          : utc;
}

} // namespace

void TfrmMediEfeti::buildGridMenu()
{
    mnuGrid = new QMenu(dbgData);
    mnuGrid->setObjectName(QStringLiteral("mnuGrid"));
    const auto add = [this](const QString& caption, const char* name, void (TfrmMediEfeti::*step)()) {
        QAction* action = mnuGrid->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this,
                [this, step] { Application::instance().Guard([this, step] { (this->*step)(); }); });
        return action;
    };
    mnuCopiar = add(QStringLiteral("Copiar"), "mnuCopiar", &TfrmMediEfeti::CopyCell);
    mnuCopiarLista = add(QStringLiteral("Copiar lista"), "mnuCopiarLista", &TfrmMediEfeti::CopyList);
    // The key shown as the desktop writes it; the grid's key handler pastes, not this entry.
    mnuColar =
        add(QStringLiteral("Colar\t") + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText),
            "mnuColar", &TfrmMediEfeti::pasteClipboard);
    mnuExportar = add(QStringLiteral("Exportar lista..."), "mnuExportar", &TfrmMediEfeti::ExportList);
    mnuGrid->addSeparator();
    mnuHistLinha = mnuGrid->addAction(QStringLiteral("Histórico da linha..."));
    mnuHistLinha->setObjectName(QStringLiteral("mnuHistLinha"));
    connect(mnuHistLinha, &QAction::triggered, this,
            [this] { Application::instance().Guard([this] { ShowLineHistory(); }); });
    dbgData->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(dbgData, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        const bool lines = cdsEfetGest->Active() && !cdsEfetGest->IsEmpty();
        for (QAction* action : {mnuHistLinha, mnuCopiar, mnuCopiarLista, mnuExportar})
            action->setEnabled(lines);
        mnuColar->setEnabled(pastesLines());
        mnuGrid->popup(dbgData->viewport()->mapToGlobal(at));
    });
}

TableRows TfrmMediEfeti::lineHistoryPage(const QString& service, QString& cursor)
{
    QObject owner;
    TClientDataSet* history = HistEfetGestRecordSet::create(&owner).cdsHistEfetGest;
    {
        Showavi::ActiveShowAvi(Application::instance().MainForm(), Showavi::Working);
        const auto hideIndicator = qScopeGuard([] { Showavi::DeactiveShowAvi(); });
        history->SetData(server().GetHistEfetGest(shownBranch_, shownDate_, service, cursor).toPacket());
    }
    TableRows page;
    for (history->First(); !history->Eof(); history->Next()) {
        const auto shown = [history](int field) { return history->Fields()[field]->DisplayText(); };
        QStringList row{localTime(shown(0)), kindCaption(shown(1)), shown(2), shown(3)};
        // Each amount as "before → after" in one column, so the change reads in one glance and every
        // column fits the dialog.
        for (int before = 4; before < 7; ++before)
            row << QStringLiteral("%1 → %2").arg(shown(before), shown(before + 3)).trimmed();
        page.rows << row;
    }
    page.more = !cursor.isEmpty();
    return page;
}

void TfrmMediEfeti::ShowLineHistory()
{
    const QString service = cdsEfetGestUSR_CDSERVFILI->AsString();
    if (!cdsEfetGest->Active() || cdsEfetGest->IsEmpty() || service.isEmpty())
        return;
    QStringList headers;
    {
        QObject owner;
        const QList<TField*> fields = HistEfetGestRecordSet::create(&owner).cdsHistEfetGest->Fields();
        for (int field = 0; field < 4; ++field)
            headers << fields[field]->DisplayLabel();
        for (int before = 4; before < 7; ++before)
            headers << fields[before]->DisplayLabel().remove(QStringLiteral(" antes"));
    }
    // Pages come newest first; the dialog asks for the next one through the cursor the last gave.
    auto cursor = std::make_shared<QString>();
    const TableRows first = lineHistoryPage(service, *cursor);
    Application::instance().Prompts().ShowTable(
        QStringLiteral("Histórico da linha — serviço %1").arg(service), headers, first,
        [this, service, cursor] { return lineHistoryPage(service, *cursor); });
}

#include "Application.h"
#include "CollectingPrompts.h"
#include "Consiste.h"
#include "ECallOutcomeUnknown.h"
#include "PasteReader.h"
#include "RdmMediEfeti.h"
#include "Showavi.h"
#include "TBCDField.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TStringField.h"
#include "TfrmMediEfeti.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QSet>
#include <algorithm>

// A row of the pasted text that holds a line: where it stood (from 0) and its cells.
struct TfrmMediEfeti::PasteRow {
    qsizetype at = 0;
    QString text;
    QStringList cells;
};

// The rows refused so far, the row at which the paste stopped (-1 while it goes on), and whether the user
// called it off.
struct TfrmMediEfeti::PasteRun {
    QList<QStringList> refused;
    qsizetype stoppedAt = -1;
    bool calledOff = false;

    void refuse(const PasteRow& row, const QString& reason)
    {
        if (!reason.isEmpty())
            refused << QStringList{QString::number(row.at + 1),
                                   QString(row.text).replace(QLatin1Char('\t'), QStringLiteral(" | ")),
                                   reason};
    }
};

namespace {

// A spreadsheet's title row: words where the code and the staff go.
bool isTitleRow(const QStringList& cells)
{
    const auto hasLetter = [](const QString& text) {
        return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
    };
    return cells.size() >= 2 && hasLetter(cells[0]) && hasLetter(cells[1]);
}

QString notPastedAfter(qsizetype row)
{
    return QStringLiteral("Não colada: a colagem parou na linha %1, que ficou sem resposta do servidor.")
        .arg(row);
}

QString notPastedCalledOff()
{
    return QStringLiteral("Não colada: a colagem foi cancelada antes desta linha.");
}

QString progressText(qsizetype done, qsizetype total)
{
    return QStringLiteral("Colando linhas: %1 de %2 gravadas ou recusadas.").arg(done).arg(total);
}

} // namespace

bool TfrmMediEfeti::pastesLines() const
{
    return cdsEfetGest->Active() && dtsPadrao->State() == TDataSetState::dsBrowse && !dbgData->EditorMode() &&
           !QGuiApplication::clipboard()->text().trimmed().isEmpty();
}

void TfrmMediEfeti::pasteClipboard()
{
    if (pastesLines())
        PasteLines(QGuiApplication::clipboard()->text());
}

void TfrmMediEfeti::SetPasteBlockRows(int rows)
{
    pasteBlockRows_ = std::clamp(rows, 1, RdmMediEfeti::MaxServicesPerCheck);
}

QList<TfrmMediEfeti::PasteRow> TfrmMediEfeti::pastedRows(const QString& text, const PasteReader& reader)
{
    QList<PasteRow> out;
    bool first = true;
    const QStringList rows = text.split(QLatin1Char('\n'));
    for (qsizetype at = 0; at < rows.size(); ++at) {
        QString row = rows[at];
        if (row.endsWith(QLatin1Char('\r')))
            row.chop(1);
        if (row.trimmed().isEmpty())
            continue;
        QStringList cells = row.split(QLatin1Char('\t'));
        if (std::exchange(first, false) && (reader.isCopyTitle(cells) || isTitleRow(cells)))
            continue;
        out << PasteRow{at, row, std::move(cells)};
    }
    return out;
}

void TfrmMediEfeti::PasteLines(const QString& text)
{
    if (!cdsEfetGest->Active() || dtsPadrao->State() != TDataSetState::dsBrowse)
        return;
    // A save of unknown outcome still waiting for its reread would stop this paste at its first row.
    showWhatTheServerHolds();
    Application& application = Application::instance();
    PasteRun run;
    const PasteReader reader(*dbgData, *cdsEfetGestUSR_CDSERVFILI, *cdsEfetGestUSR_QTEFETGEST,
                             *cdsEfetGestUSR_VREFETGEST, *cdsEfetGestUSR_VRTTSERVGEST);
    {
        // Each refusal is listed at the end rather than shown as it happens.
        auto collecting = std::make_unique<CollectingPrompts>(application.Prompts());
        CollectingPrompts& collected = *collecting;
        std::unique_ptr<UserPrompts> own = application.ExchangePrompts(std::move(collecting));
        const auto restore = qScopeGuard([&] { application.SetPrompts(std::move(own)); });
        // The grid, the totals and the commands catch up once at the end, not for every row; one busy
        // sign stands for the whole paste.
        cdsEfetGest->DisableControls();
        setUpdatesEnabled(false);
        own->ShowBusy(application.MainForm(), Showavi::Working);
        const auto catchUp = qScopeGuard([this, &own] {
            own->HideBusy();
            setUpdatesEnabled(true);
            cdsEfetGest->EnableControls();
        });
        pasting_ = true;
        const auto pasted = qScopeGuard([this] { pasting_ = false; });
        const QList<PasteRow> rows = pastedRows(text, reader);
        // More than one block shows how far the paste has gone, and can be called off between blocks:
        // the blocks saved stay saved.
        const bool showsProgress = rows.size() > pasteBlockRows_;
        const auto progressEnd = qScopeGuard([&] {
            if (showsProgress)
                own->HideProgress();
        });
        for (qsizetype start = 0; start < rows.size(); start += pasteBlockRows_) {
            if (showsProgress && !run.calledOff &&
                !own->ShowProgress(application.MainForm(), progressText(start, rows.size()), start,
                                   rows.size()))
                run.calledOff = true;
            pasteBlock(reader, rows.mid(start, pasteBlockRows_), run, collected.errors);
        }
    }
    if (unsureSave_.isEmpty())
        reloadLines();
    else
        showWhatTheServerHolds();
    if (!run.refused.isEmpty())
        application.Prompts().ShowTable(
            QStringLiteral("Linhas recusadas"),
            {QStringLiteral("Linha"), QStringLiteral("Conteúdo"), QStringLiteral("Motivo")}, run.refused);
}

QStringList TfrmMediEfeti::pastedServices(const PasteReader& reader, const QList<PasteRow>& block)
{
    QStringList out;
    for (const PasteRow& row : block) {
        try {
            const QString code = reader.read(row.cells).code;
            if (!Consiste::EmptyString(code))
                out << Consiste::Ajusta(code, cdsEfetGestUSR_CDSERVFILI->Size());
        } catch (...) {
            // The row's own paste reports why it cannot be read.
        }
    }
    out.removeDuplicates();
    return out;
}

void TfrmMediEfeti::pasteBlock(const PasteReader& reader, const QList<PasteRow>& block, PasteRun& run,
                               QStringList& errors)
{
    if (run.stoppedAt >= 0 || run.calledOff) {
        const QString reason = run.stoppedAt >= 0 ? notPastedAfter(run.stoppedAt + 1) : notPastedCalledOff();
        for (const PasteRow& row : block)
            run.refuse(row, reason);
        return;
    }
    // One service check for the block: the services that already have a line on the server. Rows the
    // block adds join them as they pass, as a row-by-row check would find them saved.
    QSet<QString> registered;
    try {
        const QStringList services = pastedServices(reader, block);
        if (!services.isEmpty()) {
            cdsVerifServ->SetData(server().GetVerifServs(shownBranch_, shownDate_, services).toPacket());
            for (cdsVerifServ->First(); !cdsVerifServ->Eof(); cdsVerifServ->Next())
                registered.insert(cdsVerifServ->FieldByName(u"USR_CDSERVFILI")->AsString());
        }
    } catch (...) {
        // Each row meets the failure in its own check and reports it.
        pasteOneByOne(reader, block, run, errors);
        return;
    }
    QList<qsizetype> posted;
    QList<QString> reasons(block.size());
    {
        checkedServices_ = &registered;
        const auto checked = qScopeGuard([this] { checkedServices_ = nullptr; });
        for (qsizetype i = 0; i < block.size(); ++i) {
            reasons[i] = pasteLine(reader, block[i].cells, errors);
            if (reasons[i].isEmpty()) {
                posted << i;
                registered.insert(cdsEfetGestUSR_CDSERVFILI->AsString());
            }
        }
    }
    if (!posted.isEmpty() && !saveBlock()) {
        // The server refused the block: each row again on its own, so that each refusal names its row.
        pasteOneByOne(reader, block, run, errors);
        return;
    }
    if (!unsureSave_.isEmpty()) {
        run.stoppedAt = block[posted.first()].at;
        for (const qsizetype i : posted)
            reasons[i] = unsureSave_;
    }
    for (qsizetype i = 0; i < block.size(); ++i)
        run.refuse(block[i], reasons[i]);
}

bool TfrmMediEfeti::saveBlock()
{
    try {
        server().setEfetGest(cdsEfetGest->Delta());
        cdsEfetGest->MergeChangeLog();
        return true;
    } catch (const ECallOutcomeUnknown& unknown) {
        // As for a typed line: no failure is claimed, and the paste stops here.
        cdsEfetGest->CancelUpdates();
        unsureSave_ = unknown.Message() + QStringLiteral(" A alteração pode ter sido gravada ou não.");
        return true;
    } catch (...) {
        cdsEfetGest->CancelUpdates();
        return false;
    }
}

void TfrmMediEfeti::pasteOneByOne(const PasteReader& reader, const QList<PasteRow>& block, PasteRun& run,
                                  QStringList& errors)
{
    for (const PasteRow& row : block) {
        if (run.stoppedAt >= 0) {
            run.refuse(row, notPastedAfter(run.stoppedAt + 1));
            continue;
        }
        QString reason = pasteLine(reader, row.cells, errors);
        // A row whose save may have landed ends the paste: the rest would be saved blind.
        if (!unsureSave_.isEmpty()) {
            run.stoppedAt = row.at;
            reason = unsureSave_;
        }
        run.refuse(row, reason);
    }
}

QString TfrmMediEfeti::pasteLine(const PasteReader& reader, const QStringList& cells, QStringList& errors)
{
    const qsizetype shownBefore = errors.size();
    QString reason;
    try {
        const PastedLine line = reader.read(cells);
        // The path of a typed line: the fields written as the grid writes them, then Post with its
        // checks and, outside a block, the save to the server.
        cdsEfetGest->Append();
        cdsEfetGestUSR_CDSERVFILI->SetAsString(line.code);
        for (const auto& [field, value] : {std::pair{cdsEfetGestUSR_QTEFETGEST, line.staff},
                                           std::pair{cdsEfetGestUSR_VREFETGEST, line.price},
                                           std::pair{cdsEfetGestUSR_VRTTSERVGEST, line.total}}) {
            if (value)
                field->SetAsCurrency(*value);
        }
        cdsEfetGest->Post();
    } catch (...) {
        reason = Application::MessageOf(std::current_exception());
        Application::instance().Guard([this] {
            if (cdsEfetGest->State() == TDataSetState::dsInsert)
                cdsEfetGest->Cancel();
        });
    }
    // Checks show their message and abort; a refused save is reported after it was undone.
    if (errors.size() > shownBefore)
        reason = errors.mid(shownBefore).join(QLatin1Char(' '));
    return reason;
}

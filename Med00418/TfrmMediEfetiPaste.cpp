#include "Application.h"
#include "CollectingPrompts.h"
#include "PasteReader.h"
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

void TfrmMediEfeti::PasteLines(const QString& text)
{
    if (!cdsEfetGest->Active() || dtsPadrao->State() != TDataSetState::dsBrowse)
        return;
    // A save of unknown outcome still waiting for its reread would stop this paste at its first row.
    showWhatTheServerHolds();
    Application& application = Application::instance();
    QList<QStringList> refused;
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
        const QStringList rows = text.split(QLatin1Char('\n'));
        bool first = true;
        qsizetype stoppedAt = -1;
        for (qsizetype at = 0; at < rows.size(); ++at) {
            QString row = rows[at];
            if (row.endsWith(QLatin1Char('\r')))
                row.chop(1);
            if (row.trimmed().isEmpty())
                continue;
            const QStringList cells = row.split(QLatin1Char('\t'));
            if (std::exchange(first, false) && (reader.isCopyTitle(cells) || isTitleRow(cells)))
                continue;
            QString reason =
                stoppedAt >= 0 ? notPastedAfter(stoppedAt + 1) : pasteLine(reader, cells, collected.errors);
            // A row whose save may have landed ends the paste: the rest would be saved blind.
            if (stoppedAt < 0 && !unsureSave_.isEmpty()) {
                stoppedAt = at;
                reason = unsureSave_;
            }
            if (!reason.isEmpty())
                refused << QStringList{QString::number(at + 1),
                                       row.replace(QLatin1Char('\t'), QStringLiteral(" | ")), reason};
        }
    }
    if (unsureSave_.isEmpty())
        reloadLines();
    else
        showWhatTheServerHolds();
    if (!refused.isEmpty())
        application.Prompts().ShowTable(
            QStringLiteral("Linhas recusadas"),
            {QStringLiteral("Linha"), QStringLiteral("Conteúdo"), QStringLiteral("Motivo")}, refused);
}

QString TfrmMediEfeti::pasteLine(const PasteReader& reader, const QStringList& cells, QStringList& errors)
{
    const qsizetype shownBefore = errors.size();
    QString reason;
    try {
        const PastedLine line = reader.read(cells);
        // The path of a typed line: the fields written as the grid writes them, then Post with its
        // checks and the save to the server.
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

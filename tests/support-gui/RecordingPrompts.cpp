#include "RecordingPrompts.h"

#include "Application.h"
#include "TableDialog.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

void RecordingPrompts::showModal()
{
    if (!likeDesktop)
        return;
    const QPointer<QWidget> previous = QApplication::activeWindow();
    {
        QWidget dialog(nullptr, Qt::Dialog);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.resize(240, 90);
        dialog.show();
        dialog.activateWindow();
        // The answer comes only once the dialog has the activation, as a user's click would.
        const QDeadlineTimer deadline(2000);
        while (!dialog.isActiveWindow() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (previous && !previous->isActiveWindow())
            ++deactivations;
    }
    if (previous)
        QTimer::singleShot(ReactivationMs, previous.data(), [previous] {
            if (previous && previous->isVisible())
                previous->activateWindow();
        });
}

void RecordingPrompts::ShowError(const QString& message)
{
    errors << message;
    showModal();
}

bool RecordingPrompts::Confirm(const QString& question)
{
    questions << question;
    showModal();
    return !answers.isEmpty() && answers.takeFirst();
}

UserPrompts::OpenLineAnswer RecordingPrompts::AskOpenLine(const QString& question)
{
    questions << question;
    showModal();
    return openLineAnswers.isEmpty() ? OpenLineAnswer::Stay : openLineAnswers.takeFirst();
}

bool RecordingPrompts::ChooseRecord(TDataSource& source, const QString& title, const QString& emptyText)
{
    searchTitles << title + QLatin1Char('|') + emptyText;
    showModal();
    return !choices.isEmpty() && choices.takeFirst()(source);
}

void RecordingPrompts::ShowBusy(QWidget*, int kind)
{
    busyKinds << kind;
    ++busyShown;
    busy = true;
}

void RecordingPrompts::ShowBusyFor(QWidget* over, int kind, const QString& waitingFor)
{
    busyWaits << waitingFor;
    ShowBusy(over, kind);
}

void RecordingPrompts::HideBusy()
{
    busy = false;
}

bool RecordingPrompts::ShowProgress(QWidget*, const QString&, qsizetype done, qsizetype total)
{
    progressShown = true;
    progress << QStringLiteral("%1/%2").arg(done).arg(total);
    return progress.size() - 1 != cancelAtProgress;
}

void RecordingPrompts::HideProgress()
{
    progressShown = false;
}

void RecordingPrompts::ShowTable(const QString& title, const QStringList& headers,
                                 const QList<QStringList>& rows)
{
    tables.append({title, headers, rows});
    showModal();
}

void RecordingPrompts::ShowTable(const QString& title, const QStringList& headers, const TableRows& first,
                                 const TableRows::Source& next)
{
    tables.append({title, headers, first.rows, first.more});
    if (!showTables)
        return showModal();
    openTable = std::make_unique<TableDialog>(title, headers, first, next, QApplication::activeWindow());
    openTable->show();
}

QString RecordingPrompts::AskSaveFileName(const QString&, const QString&, const QString&)
{
    showModal();
    return saveFileNames.isEmpty() ? QString() : saveFileNames.takeFirst();
}

RecordingPrompts& installRecordingPrompts()
{
    auto prompts = std::make_unique<RecordingPrompts>();
    RecordingPrompts& ref = *prompts;
    Application::instance().SetPrompts(std::move(prompts));
    return ref;
}

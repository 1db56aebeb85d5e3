#include "RecordingPrompts.h"

#include "TDataSet.h"
#include "TDataSource.h"

void RecordingPrompts::ShowError(const QString& message)
{
    calls.append(QStringLiteral("error:") + message);
}

bool RecordingPrompts::Confirm(const QString& question)
{
    calls.append(QStringLiteral("confirm:") + question);
    return confirmAnswer;
}

bool RecordingPrompts::ChooseRecord(TDataSource& source, const QString& title, const QString& emptyText)
{
    calls.append(QStringLiteral("choose:%1|%2").arg(title, emptyText));
    if (whileChoosing)
        whileChoosing();
    if (chooseRecNo <= 0 || !source.DataSet())
        return false;
    source.DataSet()->SetRecNo(chooseRecNo);
    return true;
}

void RecordingPrompts::ShowBusy(QWidget* over, int kind)
{
    busyOver = over;
    calls.append(QStringLiteral("busy:%1").arg(kind));
}

void RecordingPrompts::HideBusy()
{
    calls.append(QStringLiteral("hide"));
}

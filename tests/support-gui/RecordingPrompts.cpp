#include "RecordingPrompts.h"

#include "Application.h"

void RecordingPrompts::ShowError(const QString& message)
{
    errors << message;
}

bool RecordingPrompts::Confirm(const QString& question)
{
    questions << question;
    return !answers.isEmpty() && answers.takeFirst();
}

bool RecordingPrompts::ChooseRecord(TDataSource& source, const QString& title, const QString& emptyText)
{
    searchTitles << title + QLatin1Char('|') + emptyText;
    return !choices.isEmpty() && choices.takeFirst()(source);
}

void RecordingPrompts::ShowBusy(QWidget*, int kind)
{
    busyKinds << kind;
    ++busyShown;
    busy = true;
}

void RecordingPrompts::HideBusy()
{
    busy = false;
}

RecordingPrompts& installRecordingPrompts()
{
    auto prompts = std::make_unique<RecordingPrompts>();
    RecordingPrompts& ref = *prompts;
    Application::instance().SetPrompts(std::move(prompts));
    return ref;
}

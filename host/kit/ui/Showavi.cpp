#include "Showavi.h"

#include "Application.h"
#include "UserPrompts.h"

namespace Showavi {

void ActiveShowAvi(QWidget* form, int kind)
{
    Application::instance().Prompts().ShowBusy(form, kind);
}

void ActiveShowAvi(QWidget* form, int kind, const QString& waitingFor)
{
    Application::instance().Prompts().ShowBusyFor(form, kind, waitingFor);
}

void DeactiveShowAvi()
{
    Application::instance().Prompts().HideBusy();
}

} // namespace Showavi

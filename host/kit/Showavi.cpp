#include "Showavi.h"

#include "Application.h"
#include "UserPrompts.h"

namespace Showavi {

void ActiveShowAvi(QWidget* form, int kind)
{
    Application::instance().Prompts().ShowBusy(form, kind);
}

void DeactiveShowAvi()
{
    Application::instance().Prompts().HideBusy();
}

} // namespace Showavi

#include "Application.h"
#include "Consiste.h"
#include "EAbort.h"
#include "UserPrompts.h"

namespace Consiste {

void MensErro(const QString& text, bool abort)
{
    Application::instance().Prompts().ShowError(text);
    if (abort)
        Abort();
}

} // namespace Consiste

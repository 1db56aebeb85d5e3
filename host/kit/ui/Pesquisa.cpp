#include "Pesquisa.h"

#include "Application.h"
#include "UserPrompts.h"

namespace Pesquisa {

bool Pesquisar(TDataSource& source, const QString& text, bool, bool reportEmpty)
{
    const qsizetype bar = text.indexOf(u'|');
    const QString title = bar < 0 ? text : text.left(bar);
    QString emptyText;
    if (reportEmpty)
        emptyText = bar < 0 ? QStringLiteral("Nenhum registro encontrado.") : text.mid(bar + 1);
    return Application::instance().Prompts().ChooseRecord(source, title, emptyText);
}

} // namespace Pesquisa

#include "Application.h"
#include "Consiste.h"
#include "Exception.h"
#include "Med00418.h"
#include "RdmMediEfeti.h"
#include "Showavi.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TStringField.h"
#include "TfrmMediEfeti.h"

#include <QLocale>
#include <QScopeGuard>
#include <QSet>

namespace {

QSet<QString> servicesOf(const TClientDataSet& lines, const TField& service)
{
    QSet<QString> codes;
    for (int row = 0; row < lines.RecordCount(); ++row)
        codes.insert(lines.valueAt(row, service.Index()).toString());
    return codes;
}

} // namespace

void TfrmMediEfeti::btnImportaClick(QObject*)
{
    SettleOpenLine();
    // The branch and date of the lines shown: the branch lookup may stand elsewhere after a search.
    if (shownBranch_.isEmpty())
        throw Exception(QStringLiteral("Informe a filial antes de importar."));
    const QSet<QString> before = servicesOf(*cdsEfetGest, *cdsEfetGestUSR_CDSERVFILI);
    {
        Showavi::ActiveShowAvi(Application::instance().MainForm(), Showavi::Working,
                               QStringLiteral("Importando..."));
        const auto hideIndicator = qScopeGuard([] { Showavi::DeactiveShowAvi(); });
        const RemoteValue result = server().Importa(shownBranch_, shownDate_, stPrxNr);
        cdsEfetGest->SetData(Consiste::CheckResultServ(result, true, 0).toPacket());
    }
    // Lines already there are never touched by an import: the new services are the lines it added.
    const qsizetype added = (servicesOf(*cdsEfetGest, *cdsEfetGestUSR_CDSERVFILI) - before).size();
    statusNote_ = added == 1 ? QStringLiteral("1 linha importada.")
                             : QStringLiteral("%1 linhas importadas.").arg(QLocale().toString(added));
    updateTotals();
}

void TfrmMediEfeti::mnuImpEFClick(QObject*)
{
    btnImporta->Click();
}

void TfrmMediEfeti::sbtVerificarClick(QObject*)
{
    if (!notLoaded_.isEmpty()) {
        if (loadLines())
            showLoadedList();
        else
            showListNotLoaded();
        return;
    }
    try {
        reloadLines();
    } catch (...) {
        // The list stays as it was; the user is told why it was not refreshed.
        Application::instance().HandleException(std::current_exception());
    }
    updateTotals();
}

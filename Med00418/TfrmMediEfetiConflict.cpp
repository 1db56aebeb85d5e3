#include "Application.h"
#include "EfetGestRecordSet.h"
#include "Exception.h"
#include "RdmMediEfeti.h"
#include "Showavi.h"
#include "TBCDField.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TStringField.h"
#include "TfrmMediEfeti.h"

#include <QScopeGuard>
#include <QTimer>

namespace {

QString valuesOf(const TBCDField& staff, const TBCDField& price, const TBCDField& total)
{
    return QStringLiteral("efetivos %1; valor unitário %2; total %3")
        .arg(staff.DisplayText(), price.DisplayText(), total.DisplayText());
}

} // namespace

QString TfrmMediEfeti::typedValues() const
{
    return valuesOf(*cdsEfetGestUSR_QTEFETGEST, *cdsEfetGestUSR_VREFETGEST, *cdsEfetGestUSR_VRTTSERVGEST);
}

void TfrmMediEfeti::cdsEfetGestBeforeDelete(TDataSet*)
{
    lineBefore_ = {cdsEfetGestUSR_CDSERVFILI->AsString(), cdsEfetGestNMSERVICO->AsString(), typedValues()};
    deleting_ = true;
}

bool TfrmMediEfeti::explainConflict(const QString& typed)
{
    if (lineBefore_.code.isEmpty())
        return false;
    QString saved;
    try {
        QObject holder;
        const EfetGestRecordSet now = EfetGestRecordSet::create(&holder);
        Showavi::ActiveShowAvi(Application::instance().MainForm(), Showavi::Working,
                               QStringLiteral("Carregando..."));
        const auto hideIndicator = qScopeGuard([] { Showavi::DeactiveShowAvi(); });
        now.cdsEfetGest->SetData(server().getEfetGest(shownBranch_, shownDate_).toPacket());
        if (!now.cdsEfetGest->Locate(QStringLiteral("USR_CDSERVFILI"), {lineBefore_.code}))
            saved = QStringLiteral("a linha foi excluída");
        else
            saved = valuesOf(*now.cdsEfetGestUSR_QTEFETGEST, *now.cdsEfetGestUSR_VREFETGEST,
                             *now.cdsEfetGestUSR_VRTTSERVGEST);
    } catch (...) {
        return false; // what the server holds is unknown: its own refusal says the rest
    }
    // The line stands as it was opened: the refusal was for another reason.
    if (saved == lineBefore_.values)
        return false;
    const QString message =
        QStringLiteral("Outro usuário alterou a linha %1 – %2 antes de você.\n"
                       "Gravado por ele: %3.\n"
                       "%4\n"
                       "A lista foi lida de novo e mostra o que está gravado; digite de novo sobre a linha, "
                       "se o seu valor ainda valer.")
            .arg(lineBefore_.code, lineBefore_.name, saved,
                 deleting_ ? QStringLiteral("Pedido por você: excluir a linha.")
                           : QStringLiteral("Digitado por você: %1.").arg(typed));
    Application::instance().HandleException(std::make_exception_ptr(Exception(message)));
    // The list is read again once the post or delete is over, the cursor on that line.
    const QString code = lineBefore_.code;
    QTimer::singleShot(
        0, this, [this, code] { Application::instance().Guard([this, code] { showConflictLine(code); }); });
    return true;
}

void TfrmMediEfeti::showConflictLine(const QString& code)
{
    if (dtsPadrao->State() != TDataSetState::dsBrowse || pasting_)
        return;
    if (!loadLines()) {
        showListNotLoaded();
        return;
    }
    cdsEfetGest->Locate(QStringLiteral("USR_CDSERVFILI"), {code});
    VerifEmpty();
    if (cdsEfetGest->IsEmpty())
        HabilitaBotoes();
}

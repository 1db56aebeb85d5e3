#include "Currency.h"
#include "DisplayFormat.h"
#include "ERangeError.h"
#include "TBCDField.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TfrmMediEfeti.h"

#include <QLocale>

void TfrmMediEfeti::watchTotals()
{
    for (const auto signal : {&TDataSet::rowInserted, &TDataSet::rowRemoved, &TDataSet::rowChanged})
        connect(cdsEfetGest, signal, this, &TfrmMediEfeti::updateTotals);
    connect(cdsEfetGest, &TDataSet::contentReset, this, &TfrmMediEfeti::updateTotals);
    connect(cdsEfetGest, &TDataSet::stateChanged, this, &TfrmMediEfeti::updateTotals);
    updateTotals();
}

void TfrmMediEfeti::updateTotals()
{
    // The bar speaks of what the grid shows: nothing while it is detached, why when no list could be read.
    if (!notLoaded_.isEmpty()) {
        setProperty("statusText", QStringLiteral("Lista não carregada: %1").arg(notLoaded_));
        return;
    }
    if (!dtsPadrao->Enabled() || !cdsEfetGest->Active()) {
        setProperty("statusText", QString());
        return;
    }
    int lines = 0;
    Currency staff;
    Currency total;
    bool overflow = false;
    if (cdsEfetGest->Active()) {
        // A new line not posted yet is no line of the list.
        const int pending = cdsEfetGest->State() == TDataSetState::dsInsert ? cdsEfetGest->currentRow() : -1;
        const int staffAt = cdsEfetGestUSR_QTEFETGEST->Index();
        const int totalAt = cdsEfetGestUSR_VRTTSERVGEST->Index();
        for (int row = 0; row < cdsEfetGest->RecordCount(); ++row) {
            if (row == pending)
                continue;
            ++lines;
            try {
                staff = staff + cdsEfetGest->currencyAt(row, staffAt);
                total = total + cdsEfetGest->currencyAt(row, totalAt);
            } catch (const ERangeError&) {
                overflow = true;
            }
        }
    }
    const auto shown = [&](const TBCDField* field, Currency sum) {
        return overflow ? QStringLiteral("excede o limite")
                        : DisplayFormat::formatCurrency(sum, field->DisplayFormat(), QLocale());
    };
    const QString totals = QStringLiteral("Linhas: %1   Efetivos: %2   Total: %3")
                               .arg(QLocale().toString(lines), shown(cdsEfetGestUSR_QTEFETGEST, staff),
                                    shown(cdsEfetGestUSR_VRTTSERVGEST, total));
    setProperty("statusText", statusNote_.isEmpty() ? totals : statusNote_ + QStringLiteral("   ") + totals);
}

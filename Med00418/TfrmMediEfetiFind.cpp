#include "Application.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TPanel.h"
#include "TStringField.h"
#include "TTabSheet.h"
#include "TfrmMediEfeti.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <algorithm>

namespace {

// Lower case without accents: "Conservação" is found as "conservacao".
QString plain(const QString& text)
{
    QString out;
    for (const QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            out += c.toLower();
    }
    return out;
}

bool isCode(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

void TfrmMediEfeti::buildFindBox()
{
    panProcurar = new TPanel(tsh);
    panProcurar->setObjectName(QStringLiteral("panProcurar"));
    panProcurar->SetCaption(QString());
    panProcurar->SetAlign(TAlign::alBottom);
    auto* row = new QHBoxLayout(panProcurar);
    row->setContentsMargins(4, 2, 4, 2);
    auto* label = new QLabel(QStringLiteral("&Procurar:"), panProcurar);
    edtProcurar = new QLineEdit(panProcurar);
    edtProcurar->setObjectName(QStringLiteral("edtProcurar"));
    edtProcurar->setPlaceholderText(QStringLiteral("código ou nome do serviço"));
    edtProcurar->setAccessibleName(QStringLiteral("Procurar linha por código ou nome do serviço"));
    edtProcurar->setClearButtonEnabled(true);
    label->setBuddy(edtProcurar);
    lblProcurarNada = new QLabel(panProcurar);
    lblProcurarNada->setObjectName(QStringLiteral("lblProcurarNada"));
    row->addWidget(label);
    row->addWidget(edtProcurar, 1);
    row->addWidget(lblProcurarNada);
    panProcurar->setFixedHeight(panProcurar->sizeHint().height());
    panProcurar->hide();

    connect(edtProcurar, &QLineEdit::textEdited, this,
            [this](const QString& text) { Application::instance().Guard([&] { findLine(text); }); });
    connect(edtProcurar, &QLineEdit::returnPressed, this, [this] { closeFindBox(); });
    auto* escape =
        new QShortcut(QKeySequence(Qt::Key_Escape), edtProcurar, nullptr, nullptr, Qt::WidgetShortcut);
    connect(escape, &QShortcut::activated, this, [this] { closeFindBox(); });
}

void TfrmMediEfeti::sbtProcurarClick(QObject*)
{
    if (dtsPadrao->State() != TDataSetState::dsBrowse || cdsEfetGest->IsEmpty())
        return;
    lblProcurarNada->clear();
    panProcurar->show();
    edtProcurar->setFocus(Qt::ShortcutFocusReason);
    edtProcurar->selectAll();
}

void TfrmMediEfeti::findLine(const QString& text)
{
    const QString wanted = text.trimmed();
    lblProcurarNada->clear();
    if (wanted.isEmpty() || dtsPadrao->State() != TDataSetState::dsBrowse)
        return;
    const int codeAt = cdsEfetGestUSR_CDSERVFILI->Index();
    const int nameAt = cdsEfetGestNMSERVICO->Index();
    const QString words = plain(wanted);
    int found = -1;
    for (int row = 0; row < cdsEfetGest->RecordCount() && found < 0; ++row) {
        const QString code = cdsEfetGest->valueAt(row, codeAt).toString();
        // Digits: the code as typed in full ("3" is 00003), else the first code that begins with them.
        if (isCode(wanted) && code == wanted.rightJustified(5, QLatin1Char('0')))
            found = row;
        else if (!isCode(wanted) && plain(cdsEfetGest->valueAt(row, nameAt).toString()).contains(words))
            found = row;
    }
    for (int row = 0; isCode(wanted) && row < cdsEfetGest->RecordCount() && found < 0; ++row) {
        if (cdsEfetGest->valueAt(row, codeAt).toString().startsWith(wanted))
            found = row;
    }
    if (found < 0) {
        lblProcurarNada->setText(QStringLiteral("Nenhuma linha encontrada."));
        return;
    }
    cdsEfetGest->SetRecNo(found + 1);
}

void TfrmMediEfeti::closeFindBox()
{
    // The grid first: hiding the box with the focus in it would pass the focus on to the filter, whose
    // exit loads the list again.
    dbgData->setFocus(Qt::OtherFocusReason);
    panProcurar->hide();
}

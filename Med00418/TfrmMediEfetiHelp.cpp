#include "TfrmMediEfeti.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

void TfrmMediEfeti::sbtAjudaClick(QObject*)
{
    if (!hlpMediEfeti) {
        // A window of its own, owned by the screen: it goes when the screen closes.
        hlpMediEfeti = new QTextBrowser(this);
        hlpMediEfeti->setObjectName(QStringLiteral("hlpMediEfeti"));
        hlpMediEfeti->setWindowFlags(Qt::Window);
        hlpMediEfeti->setWindowTitle(QStringLiteral("Ajuda — Medição de Efetivos"));
        hlpMediEfeti->setAccessibleName(QStringLiteral("Ajuda da Medição de Efetivos"));
        hlpMediEfeti->setOpenExternalLinks(false);
        hlpMediEfeti->setSource(QUrl(QStringLiteral("qrc:/Med00418/help/ajuda.html")));
        hlpMediEfeti->resize(hlpMediEfeti->fontMetrics().averageCharWidth() * 90,
                             hlpMediEfeti->fontMetrics().height() * 36);
        auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), hlpMediEfeti);
        connect(close, &QShortcut::activated, hlpMediEfeti, &QWidget::close);
    }
    hlpMediEfeti->show();
    hlpMediEfeti->raise();
    hlpMediEfeti->activateWindow();
}

#include "Application.h"
#include "Exception.h"
#include "GridText.h"
#include "TDBGrid.h"
#include "TfrmMediEfeti.h"
#include "UserPrompts.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QSaveFile>

void TfrmMediEfeti::CopyCell()
{
    const QString text = GridText::currentCell(*dbgData);
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void TfrmMediEfeti::CopyList()
{
    const QString text = GridText::lines(*dbgData);
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void TfrmMediEfeti::ExportList()
{
    const QString suggested = QDir::home().filePath(
        QStringLiteral("efetivos-%1-%2.csv")
            .arg(shownBranch_, shownDate_.toDate().toString(QStringLiteral("yyyyMMdd"))));
    const QString path = Application::instance().Prompts().AskSaveFileName(
        QStringLiteral("Exportar lista"), suggested, QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    // Written whole or not at all: an existing file is replaced only once the new one is complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(GridText::csv(*dbgData, QLocale())) < 0 ||
        !file.commit())
        throw Exception(
            QStringLiteral("Não foi possível gravar o arquivo %1: %2.").arg(path, file.errorString()));
}

#include "HostStartup.h"

#include <QApplication>
#include <QLibraryInfo>

HostStartup::HostStartup(const QLocale& locale)
{
    QApplication::setApplicationName(QStringLiteral("med00418"));
    QApplication::setOrganizationName(QStringLiteral("med00418"));
    // Dialogs take their title from here; the bare application name is a file name to users.
    QApplication::setApplicationDisplayName(Title());
    // Tries qtbase_pt_BR, then qtbase_pt, and so on down the locale's UI languages.
    translated_ = qtTexts_.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (translated_)
        QApplication::installTranslator(&qtTexts_);
    else if (locale.language() != QLocale::English && locale.language() != QLocale::C)
        qWarning("Qt's own texts have no translation for %s: they stay in English",
                 qPrintable(locale.name()));
}

HostStartup::~HostStartup()
{
    if (translated_)
        QApplication::removeTranslator(&qtTexts_);
}

QString HostStartup::Title()
{
    return QStringLiteral("Gestão de Faturamento");
}

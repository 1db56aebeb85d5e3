#include "HostCommandLine.h"

#include "MedBuildInfo.h"

#include <algorithm>
#include <cstdio>

namespace {

const QString Description = QStringLiteral("Aplicação hospedeira das telas de faturamento.");

QString names(const QCommandLineOption& option)
{
    QStringList written;
    for (const QString& name : option.names())
        written << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = written.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += QStringLiteral(" <%1>").arg(option.valueName());
    return text;
}

} // namespace

HostCommandLine::HostCommandLine()
    : help_({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Mostra esta ajuda.")),
      version_({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Mostra a versão.")),
      open_(QStringLiteral("open"), QStringLiteral("Abre um módulo ao iniciar, por exemplo Pkg_med00418."),
            QStringLiteral("módulo")),
      settings_(QStringLiteral("settings"), QStringLiteral("Arquivo de configurações (INI)."),
                QStringLiteral("arquivo")),
      login_(QStringLiteral("login"), QStringLiteral("Usuário com que a entrada começa, por exemplo digitador."),
             QStringLiteral("usuário"))
{
    parser_.setApplicationDescription(Description);
    parser_.addOptions({help_, version_, open_, settings_, login_});
}

QString HostCommandLine::helpText() const
{
    const QList<const QCommandLineOption*> options{&help_, &version_, &open_, &settings_, &login_};
    qsizetype width = 0;
    for (const QCommandLineOption* option : options)
        width = std::max(width, names(*option).size());
    QString text = QStringLiteral("Uso: med_host [opções]\n%1\n\nOpções:\n").arg(Description);
    for (const QCommandLineOption* option : options)
        text += QStringLiteral("  %1  %2\n").arg(names(*option), -int(width)).arg(option->description());
    return text;
}

std::optional<int> HostCommandLine::answered(const QStringList& arguments)
{
    // Qt's own options (-platform, ...) are unknown here; read() sees the arguments without them.
    (void)parser_.parse(arguments);
    if (parser_.isSet(version_)) {
        std::printf("med_host %s\n", MED_VERSION);
        return 0;
    }
    if (parser_.isSet(help_)) {
        std::printf("%s", helpText().toLocal8Bit().constData());
        return 0;
    }
    return std::nullopt;
}

bool HostCommandLine::read(const QStringList& arguments)
{
    if (parser_.parse(arguments))
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(parser_.errorText()));
    return false;
}

HostCommandLine::Options HostCommandLine::options() const
{
    return {parser_.value(open_), parser_.value(settings_), parser_.value(login_)};
}

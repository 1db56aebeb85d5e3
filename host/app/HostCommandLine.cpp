#include "HostCommandLine.h"

#include "MedBuildInfo.h"

#include <cstdio>

HostCommandLine::HostCommandLine()
    : open_(QStringLiteral("open"), QStringLiteral("Opens a module at start, e.g. Pkg_med00418."),
            QStringLiteral("module")),
      settings_(QStringLiteral("settings"), QStringLiteral("Settings file (INI)."), QStringLiteral("file")),
      login_(QStringLiteral("login"), QStringLiteral("User the sign-in starts with, e.g. digitador."),
             QStringLiteral("login"))
{
    parser_.setApplicationDescription(QStringLiteral("Host application of the billing screens."));
    parser_.addHelpOption();
    parser_.addVersionOption();
    parser_.addOptions({open_, settings_, login_});
}

std::optional<int> HostCommandLine::answered(const QStringList& arguments)
{
    // Qt's own options (-platform, ...) are unknown here; read() sees the arguments without them.
    (void)parser_.parse(arguments);
    if (parser_.isSet(QStringLiteral("version"))) {
        std::printf("med_host %s\n", MED_VERSION);
        return 0;
    }
    if (parser_.isSet(QStringLiteral("help")) || parser_.isSet(QStringLiteral("help-all"))) {
        std::printf("%s", qPrintable(parser_.helpText()));
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

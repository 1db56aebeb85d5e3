#include "Application.h"
#include "DialogPrompts.h"
#include "HostMainWindow.h"
#include "HostSettings.h"
#include "HostStartup.h"
#include "LocalDemoDatabase.h"
#include "MedBuildInfo.h"
#include "ModuleLoader.h"
#include "QuitOnSignals.h"
#include "dtmDBGeral.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

// Answered before QApplication exists: it needs a display, and a version check must not.
bool printedVersion(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::printf("med_host %s\n", MED_VERSION);
            return true;
        }
    }
    return false;
}

struct HostOptions {
    QString openModule;
};

HostOptions parseOptions(const QApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Host application of the billing screens."));
    parser.addHelpOption();
    parser.addOption(
        {{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Prints the version.")});
    const QCommandLineOption open(QStringLiteral("open"),
                                  QStringLiteral("Opens a module at start, e.g. Pkg_med00418."),
                                  QStringLiteral("module"));
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("Settings file (INI)."),
                                      QStringLiteral("file"));
    parser.addOptions({open, settings});
    parser.process(app);
    if (parser.isSet(settings))
        qputenv("MED_SETTINGS", parser.value(settings).toLocal8Bit());
    return {parser.value(open)};
}

void openLocalDatabase()
{
    const HostSettings settings;
    TdtmDBGeral::open(LocalDemoDatabase::prepare(LocalDatabaseSettings::fromHost(settings)));
}

} // namespace

int main(int argc, char* argv[])
{
    if (printedVersion(argc, argv))
        return 0;
    QApplication app(argc, argv);
    const HostStartup startup(QLocale::system());
    const HostOptions options = parseOptions(app);

    Application& application = Application::instance();
    application.SetPrompts(std::make_unique<DialogPrompts>());
    ModuleLoader loader(QApplication::applicationDirPath() + QStringLiteral("/" MED_MODULE_DIR_FROM_BIN));
    HostMainWindow window(loader);
    application.SetMainForm(&window);
    const QuitOnSignals quitOnSignals(&window);
    window.show();

    if (!application.Guard(openLocalDatabase))
        return 1;
    if (!options.openModule.isEmpty())
        QTimer::singleShot(0, &window, [&] { window.openModule(options.openModule); });
    return app.exec();
}

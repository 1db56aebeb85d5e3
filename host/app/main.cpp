#include "Application.h"
#include "DialogPrompts.h"
#include "HostMainWindow.h"
#include "HostSettings.h"
#include "LocalDemoDatabase.h"
#include "ModuleLoader.h"
#include "QuitOnSignals.h"
#include "dtmDBGeral.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

namespace {

struct HostOptions {
    QString openModule;
};

HostOptions parseOptions(const QApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Host application of the billing screens."));
    parser.addHelpOption();
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
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("med00418"));
    QApplication::setOrganizationName(QStringLiteral("med00418"));
    const HostOptions options = parseOptions(app);

    Application& application = Application::instance();
    application.SetPrompts(std::make_unique<DialogPrompts>());
    ModuleLoader loader(QApplication::applicationDirPath() + QStringLiteral("/../lib"));
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

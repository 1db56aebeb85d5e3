#include "Application.h"
#include "DialogPrompts.h"
#include "HostCommandLine.h"
#include "HostLog.h"
#include "HostMainWindow.h"
#include "HostSettings.h"
#include "HostStartup.h"
#include "LocalDemoDatabase.h"
#include "MedBuildInfo.h"
#include "ModuleLoader.h"
#include "QuitOnSignals.h"
#include "dtmDBGeral.h"

#include <QApplication>
#include <QTimer>
#include <optional>

namespace {

void openLocalDatabase()
{
    const HostSettings settings;
    TdtmDBGeral::open(LocalDemoDatabase::prepare(LocalDatabaseSettings::fromHost(settings)));
}

} // namespace

int main(int argc, char* argv[])
{
    HostCommandLine commandLine;
    std::optional<int> answered;
    {
        const QCoreApplication probe(argc, argv); // names the program in the help; needs no display
        answered = commandLine.answered(QCoreApplication::arguments());
    }
    if (answered)
        return *answered;
    QApplication app(argc, argv);
    if (!commandLine.read(QApplication::arguments()))
        return 2;
    const HostCommandLine::Options options = commandLine.options();
    if (!options.settingsFile.isEmpty())
        qputenv("MED_SETTINGS", options.settingsFile.toLocal8Bit());
    const HostStartup startup(QLocale::system());
    qSetMessagePattern(
        QStringLiteral("%{time yyyy-MM-ddTHH:mm:ss.zzz} %{if-category}%{category} %{endif}%{message}"));
    const HostLog log;

    Application& application = Application::instance();
    application.SetPrompts(std::make_unique<DialogPrompts>());
    ModuleLoader loader(QApplication::applicationDirPath() + QStringLiteral("/" MED_MODULE_DIR_FROM_BIN));
    HostMainWindow window(loader);
    application.SetMainForm(&window);
    const QuitOnSignals quitOnSignals(&window);
    window.show();

    if (!application.Guard(openLocalDatabase))
        return 1;
    if (!window.SignIn(options.login))
        return 0;
    if (!options.openModule.isEmpty())
        QTimer::singleShot(0, &window, [&] { window.openModule(options.openModule); });
    return app.exec();
}

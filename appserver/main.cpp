#include "AppServer.h"
#include "AppServerOptions.h"
#include "Exception.h"
#include "MedBuildInfo.h"
#include "ShutdownSignal.h"
#include "SqlFailure.h"
#include "SqliteLibrary.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdlib>

int main(int argc, char* argv[])
{
    // Qt's own poll loop: lighter per wake-up than GLib's, and the server needs nothing from GLib.
    qputenv("QT_NO_GLIB", "1");
    SqliteLibrary::configureForThreads();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("med_appserver"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MED_VERSION));
    try {
        const AppServerOptions options =
            AppServerOptions::parse(QCoreApplication::arguments(), qgetenv("MED_SERVER_TOKEN"));
        ShutdownSignal shutdown;
        AppServer server(options);
        QObject::connect(&shutdown, &ShutdownSignal::requested, &server, &AppServer::stop);
        QObject::connect(&server, &AppServer::stopped, &app, [](bool drained) {
            // A worker still inside a call cannot be joined; its transaction, never committed, is undone
            // by the database.
            if (!drained)
                std::_Exit(0);
            QCoreApplication::quit();
        });
        const quint16 port = server.listen();
        // Whoever started us reads the port from this first line.
        QTextStream(stdout) << port << Qt::endl;
        return app.exec();
    } catch (const SqlFailure& failure) {
        QTextStream(stderr) << "med_appserver: " << failure.Message() << ' ' << failure.detail() << Qt::endl;
    } catch (const Exception& error) {
        QTextStream(stderr) << "med_appserver: " << error.Message() << Qt::endl;
    }
    return 2;
}

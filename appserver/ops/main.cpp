#include "AppServer.h"
#include "AppServerOptions.h"
#include "DatabaseSpec.h"
#include "Exception.h"
#include "MedBuildInfo.h"
#include "ServerLog.h"
#include "ShutdownSignal.h"
#include "SqlFailure.h"
#include "SqliteLibrary.h"
#include "UserCommand.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdlib>

namespace {

// Which database, never how to get in: no user, no password.
QString databaseShown(const QString& text)
{
    const DatabaseSpec spec = DatabaseSpec::parse(text);
    if (spec.kind == DatabaseSpec::Kind::Sqlite)
        return QStringLiteral("sqlite %1").arg(spec.path);
    return QStringLiteral("postgresql %1:%2/%3").arg(spec.host).arg(spec.port).arg(spec.databaseName);
}

QString addressShown(const QHostAddress& address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(address.toString())
                             : address.toString();
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

} // namespace

int main(int argc, char* argv[])
{
    // Qt's own poll loop: lighter per wake-up than GLib's, and the server needs nothing from GLib.
    qputenv("QT_NO_GLIB", "1");
    SqliteLibrary::configureForThreads();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("med_appserver"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MED_VERSION));
    try {
        ServerLog::open({});
        if (UserCommand::wanted(QCoreApplication::arguments()))
            return UserCommand::run(QCoreApplication::arguments());
        const AppServerOptions options =
            AppServerOptions::parse(QCoreApplication::arguments(), qgetenv("MED_SERVER_TOKEN"));
        ServerLog::open(options.logFile, options.logRules);
        qCInfo(lcServer).noquote() << "med_appserver" << MED_VERSION << "starting: database"
                                   << databaseShown(options.database) << "on"
                                   << addressShown(options.address, options.port);
        int code = 0;
        {
            ShutdownSignal shutdown;
            AppServer server(options);
            QObject::connect(&shutdown, &ShutdownSignal::requested, &server, &AppServer::stop);
            QObject::connect(&shutdown, &ShutdownSignal::hangup, &app, [] {
                if (ServerLog::reopen())
                    qCInfo(lcServer, "log file opened again");
            });
            QObject::connect(&server, &AppServer::stopped, &app, [](bool drained) {
                // A worker still inside a call cannot be joined; its transaction, never committed, is
                // undone by the database.
                if (!drained) {
                    qCInfo(lcServer, "stopped");
                    std::_Exit(0);
                }
                QCoreApplication::quit();
            });
            const quint16 port = server.listen();
            // Whoever started us reads the port from this first line.
            QTextStream(stdout) << port << Qt::endl;
            qCInfo(lcServer).noquote() << "serving on" << addressShown(options.address, port) << "with"
                                       << options.workers << "workers";
            code = app.exec();
        }
        qCInfo(lcServer, "stopped");
        return code;
    } catch (const SqlFailure& failure) {
        qCCritical(lcServer).noquote() << "med_appserver:" << failure.Message() << failure.detail();
    } catch (const Exception& error) {
        qCCritical(lcServer).noquote() << "med_appserver:" << error.Message();
    }
    return 2;
}

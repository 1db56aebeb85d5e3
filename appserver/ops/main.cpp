#include "AppServer.h"
#include "AppServerOptions.h"
#include "Database.h"
#include "DatabaseSpec.h"
#include "DatabaseStart.h"
#include "Exception.h"
#include "MedBuildInfo.h"
#include "ServerLog.h"
#include "ServiceNotifier.h"
#include "ShutdownSignal.h"
#include "SqlFailure.h"
#include "SqliteLibrary.h"
#include "TlsSettings.h"
#include "UserCommand.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>

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

AppServerOptions readOptions()
{
    return AppServerOptions::parse(QCoreApplication::arguments(), qgetenv("MED_SERVER_TOKEN"));
}

// SIGHUP: the configuration is read again for what changes without a restart (the log rules, the TLS
// certificate and key), and the log file is opened again. A refused configuration changes nothing.
void reload(AppServer& server, bool logFile)
{
    ServiceNotifier::reloading();
    try {
        const AppServerOptions fresh = readOptions();
        ServerLog::setRules(fresh.logRules);
        server.reloadTls(fresh);
    } catch (const Exception& error) {
        qCWarning(lcServer).noquote() << "reload: configuration refused, nothing changed:" << error.Message();
    }
    if (logFile && ServerLog::reopen())
        qCInfo(lcServer, "reload: log file opened again");
    ServiceNotifier::ready(QStringLiteral("serving"));
}

} // namespace

int main(int argc, char* argv[])
{
    // Qt's own poll loop: lighter per wake-up than GLib's, and the server needs nothing from GLib.
    qputenv("QT_NO_GLIB", "1");
    // The database, its journal and its logs hold reservation secrets and answers: the server's
    // user alone reads what it creates, whatever umask it was started under.
    ::umask(0077);
    SqliteLibrary::configureForThreads();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("med_appserver"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MED_VERSION));
    try {
        ServerLog::open({});
        if (UserCommand::wanted(QCoreApplication::arguments()))
            return UserCommand::run(QCoreApplication::arguments());
        const AppServerOptions options = readOptions();
        if (options.checkOnly) {
            if (options.tls())
                TlsSettings::load(options.tlsCertificate, options.tlsKey);
            QTextStream(stdout) << "configuration ok" << Qt::endl;
            return 0;
        }
        ServerLog::open(options.logFile, options.logRules);
        qCInfo(lcServer).noquote() << "med_appserver" << MED_VERSION << "starting: database"
                                   << databaseShown(options.database) << "on"
                                   << addressShown(options.address, options.port);
        if (options.signIn.kind == SignInMethod::Kind::Pam)
            qCInfo(lcServer, "passwords checked by PAM, service med00418");
        int code = 0;
        {
            ShutdownSignal shutdown;
            std::unique_ptr<Database> database = DatabaseStart::open(options, shutdown);
            if (!database) {
                qCInfo(lcServer, "stopped");
                return 0;
            }
            AppServer server(options, std::move(database));
            QObject::connect(&shutdown, &ShutdownSignal::requested, &server, [&server] {
                ServiceNotifier::stopping();
                server.stop();
            });
            QObject::connect(&shutdown, &ShutdownSignal::hangup, &server,
                             [&server, logFile = !options.logFile.isEmpty()] { reload(server, logFile); });
            QObject::connect(&server, &AppServer::stopped, &app, [](bool drained) {
                // A worker still inside a call cannot be joined; its transaction, never committed, is
                // undone by the database.
                if (!drained) {
                    ServerLog::flushRepeats();
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
            ServiceNotifier::ready(QStringLiteral("serving on %1").arg(addressShown(options.address, port)));
            code = app.exec();
        }
        ServerLog::flushRepeats();
        qCInfo(lcServer, "stopped");
        return code;
    } catch (const SqlFailure& failure) {
        qCCritical(lcServer).noquote() << "med_appserver:" << failure.Message() << failure.detail();
    } catch (const Exception& error) {
        qCCritical(lcServer).noquote() << "med_appserver:" << error.Message();
    }
    return 2;
}

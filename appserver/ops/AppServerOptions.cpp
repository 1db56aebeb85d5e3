#include "AppServerOptions.h"

#include "ConfigFile.h"
#include "DatabaseSpec.h"
#include "Exception.h"
#include "OptionReader.h"

#include <QCommandLineParser>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QCommandLineOption
    ListenOption(QStringLiteral("listen"),
                 QStringLiteral("Address and port to listen on (port 0 takes a free one)."),
                 QStringLiteral("ADDR:PORT"), QStringLiteral("127.0.0.1:8418"));
const QCommandLineOption
    DatabaseOption(QStringLiteral("database"),
                   QStringLiteral("SQLite file path, or postgresql://user@host:port/dbname."),
                   QStringLiteral("SPEC"), QStringLiteral("med00418-server.db"));
const QCommandLineOption SeedOption(QStringLiteral("seed-demo"),
                                    QStringLiteral("Fill an empty database with demonstration data."));
const QCommandLineOption TokenOption(QStringLiteral("token"),
                                     QStringLiteral("Shared secret clients send as a bearer token "
                                                    "(or MED_SERVER_TOKEN)."),
                                     QStringLiteral("TOKEN"));
const QCommandLineOption TtlOption(QStringLiteral("reservation-ttl"),
                                   QStringLiteral("Seconds before an unreleased reservation expires."),
                                   QStringLiteral("SECONDS"), QStringLiteral("43200"));
const QCommandLineOption
    RequestTtlOption(QStringLiteral("request-id-ttl"),
                     QStringLiteral("Seconds a write call's outcome is kept under its request id, so that "
                                    "the same call sent again is not applied twice."),
                     QStringLiteral("SECONDS"), QStringLiteral("86400"));
const QCommandLineOption SessionIdleOption(QStringLiteral("session-idle-timeout"),
                                           QStringLiteral("Seconds a session lasts without calls."),
                                           QStringLiteral("SECONDS"), QStringLiteral("28800"));
const QCommandLineOption SessionLifetimeOption(QStringLiteral("session-lifetime"),
                                               QStringLiteral("Seconds a session lasts from its sign-in."),
                                               QStringLiteral("SECONDS"), QStringLiteral("43200"));
const QCommandLineOption
    AuthOption(QStringLiteral("auth"),
               QStringLiteral("How Login checks passwords: local (the accounts' own, set with \"user "
                              "passwd\") or pam (PAM service med00418, /etc/pam.d/med00418); the account's "
                              "role and branches are the server's either way."),
               QStringLiteral("local|pam"), QStringLiteral("local"));
const QCommandLineOption HistoryDaysOption(QStringLiteral("history-days"),
                                           QStringLiteral("Days a line's change is kept in its history."),
                                           QStringLiteral("DAYS"), QStringLiteral("730"));
const QCommandLineOption IdleOption(QStringLiteral("idle-timeout"),
                                    QStringLiteral("Seconds before an idle connection is closed."),
                                    QStringLiteral("SECONDS"), QStringLiteral("60"));
const QCommandLineOption HeadOption(QStringLiteral("head-timeout"),
                                    QStringLiteral("Seconds a request's head may take to arrive."),
                                    QStringLiteral("SECONDS"), QStringLiteral("10"));
const QCommandLineOption BodyOption(QStringLiteral("body-timeout"),
                                    QStringLiteral("Seconds a whole request may take to arrive."),
                                    QStringLiteral("SECONDS"), QStringLiteral("60"));
const QCommandLineOption PerAddressOption(QStringLiteral("max-connections-per-address"),
                                          QStringLiteral("Connections served at once from one client "
                                                         "address; more are closed."),
                                          QStringLiteral("N"), QStringLiteral("64"));
const QCommandLineOption
    TrustedProxyOption(QStringLiteral("trusted-proxy"),
                       QStringLiteral("Addresses of proxies in front, ',' between them: not held to "
                                      "--max-connections-per-address, and their X-Forwarded-For names the "
                                      "client (default: none)."),
                       QStringLiteral("ADDR[,ADDR...]"));
const QCommandLineOption UnsentOption(QStringLiteral("max-unsent-bytes"),
                                      QStringLiteral("Answers a connection may leave unread before its "
                                                     "further requests wait."),
                                      QStringLiteral("N"), QStringLiteral("1048576"));
const QCommandLineOption MaxConnectionsOption(QStringLiteral("max-connections"),
                                              QStringLiteral("Connections served at once; more are closed."),
                                              QStringLiteral("N"), QStringLiteral("256"));
const QCommandLineOption WorkersOption(QStringLiteral("workers"),
                                       QStringLiteral("Threads serving calls, each with its own database "
                                                      "connection (default: one per processor)."),
                                       QStringLiteral("N"));
const QCommandLineOption MaxBytesOption(QStringLiteral("max-request-bytes"),
                                        QStringLiteral("Largest request accepted, in bytes."),
                                        QStringLiteral("N"), QStringLiteral("8388608"));
const QCommandLineOption TlsCertOption(QStringLiteral("tls-cert"),
                                       QStringLiteral("PEM certificate (chain) to serve HTTPS with; needs "
                                                      "--tls-key."),
                                       QStringLiteral("FILE"));
const QCommandLineOption TlsKeyOption(QStringLiteral("tls-key"),
                                      QStringLiteral("PEM private key of --tls-cert, unencrypted."),
                                      QStringLiteral("FILE"));
const QCommandLineOption
    ShutdownOption(QStringLiteral("shutdown-timeout"),
                   QStringLiteral("Seconds a stop (SIGTERM) waits for the calls in flight."),
                   QStringLiteral("SECONDS"), QStringLiteral("20"));
const QCommandLineOption
    DbConnectTimeoutOption(QStringLiteral("database-connect-timeout"),
                           QStringLiteral("PostgreSQL: seconds opening a connection may take."),
                           QStringLiteral("SECONDS"), QStringLiteral("5"));
const QCommandLineOption
    DbStatementTimeoutOption(QStringLiteral("database-statement-timeout"),
                             QStringLiteral("PostgreSQL: seconds one statement may run; 0 for no limit."),
                             QStringLiteral("SECONDS"), QStringLiteral("30"));
const QCommandLineOption ReadyTimeoutOption(QStringLiteral("ready-timeout"),
                                            QStringLiteral("Seconds /health/ready waits for the database "
                                                           "before it answers 503."),
                                            QStringLiteral("SECONDS"), QStringLiteral("2"));
const QCommandLineOption LogFileOption(QStringLiteral("log-file"),
                                       QStringLiteral("File the log is appended to (default: standard "
                                                      "error); SIGHUP opens it again, for logrotate."),
                                       QStringLiteral("PATH"));
const QCommandLineOption
    LogRulesOption(QStringLiteral("log-rules"),
                   QStringLiteral("Logging rules, ';' between them, e.g. \"med.appserver.call.info=false\" "
                                  "(QT_LOGGING_RULES wins over them)."),
                   QStringLiteral("RULES"));

const QCommandLineOption
    ConfigOption(QStringLiteral("config"),
                 QStringLiteral("INI file of \"option = value\" lines named as the long options above, "
                                "plus database-password; the command line overrides it."),
                 QStringLiteral("FILE"));

// Tests bring their own service file rather than write to /etc/pam.d.
const QCommandLineOption PamConfDirOption = [] {
    QCommandLineOption option(QStringLiteral("pam-confdir"),
                              QStringLiteral("Folder of the PAM service file, instead of /etc/pam.d."),
                              QStringLiteral("DIR"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}();

const QCommandLineOption CheckOption(QStringLiteral("check-config"),
                                     QStringLiteral("Read the configuration and the TLS files, open nothing "
                                                    "else, and exit: 0 when they are sound, 2 naming what "
                                                    "is wrong."));

// Shorter or blank secrets are guessed; an administrator's slip ("token =") must not pass for one.
constexpr qsizetype MinTokenLength = 16;

[[noreturn]] void refuse(const QString& message)
{
    throw Exception(message);
}

// A numeric address, bracketed for IPv6, or "localhost".
bool readHost(QString host, QHostAddress& address)
{
    if (host == QLatin1String("localhost")) {
        address = QHostAddress::LocalHost;
        return true;
    }
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    return address.setAddress(host);
}

// The last value given wins, as for every other option: the command line's over the file's.
QList<QHostAddress> readAddresses(const OptionReader& reader, const QCommandLineOption& option)
{
    QList<QHostAddress> out;
    for (const QString& item : reader.text(option).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QHostAddress address;
        if (!readHost(item.trimmed(), address))
            reader.refuse(
                option,
                QStringLiteral("expects addresses, ',' between them, not \"%1\".").arg(item.trimmed()));
        out.append(address);
    }
    return out;
}

void readListen(const OptionReader& reader, AppServerOptions& out)
{
    const QString text = reader.text(ListenOption);
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const uint port = colon < 0 ? 0 : text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 65535 || !readHost(text.left(colon), out.address))
        reader.refuse(ListenOption,
                      QStringLiteral("expected ADDR:PORT, e.g. 127.0.0.1:8418, not \"%1\".").arg(text));
    out.port = quint16(port);
}

// libpq reads options from the URL's query too; a password there would skip every rule kept for it.
void refusePasswordInQuery(const OptionReader& reader)
{
    const QUrlQuery query(QUrl(reader.text(DatabaseOption)).query());
    if (query.hasQueryItem(QStringLiteral("password")))
        reader.refuse(DatabaseOption, QStringLiteral("the URL's query carries a password: put it in the "
                                                     "configuration file as database-password."));
}

QByteArray readToken(const OptionReader& reader, const QByteArray& fromEnvironment)
{
    if (!reader.isSet(TokenOption)) {
        if (!fromEnvironment.isEmpty() && (fromEnvironment.trimmed().isEmpty() ||
                                           QString::fromUtf8(fromEnvironment).size() < MinTokenLength))
            refuse(QStringLiteral("MED_SERVER_TOKEN: the token must have at least %1 characters, not "
                                  "all blanks.")
                       .arg(MinTokenLength));
        return fromEnvironment;
    }
    const QString token = reader.text(TokenOption);
    if (token.trimmed().isEmpty() || token.size() < MinTokenLength)
        reader.refuse(TokenOption, QStringLiteral("the token must have at least %1 characters, not all "
                                                  "blanks.")
                                       .arg(MinTokenLength));
    return token.toUtf8();
}

SignInMethod readSignIn(const OptionReader& reader, const QString& pamConfDir)
{
    SignInMethod out;
    const QString kind = reader.text(AuthOption);
    if (kind == u"pam")
        out.kind = SignInMethod::Kind::Pam;
    else if (kind != u"local")
        reader.refuse(AuthOption, QStringLiteral("expects local or pam, not \"%1\".").arg(kind));
    out.pamConfDir = pamConfDir;
    return out;
}

// Each default shows in --help.
QList<QCommandLineOption> withDefaultsShown(QList<QCommandLineOption> options)
{
    for (QCommandLineOption& option : options) {
        if (!option.defaultValues().isEmpty())
            option.setDescription(
                QStringLiteral("%1 Default: %2.")
                    .arg(option.description(), option.defaultValues().join(QLatin1Char(','))));
    }
    return options;
}

// A command line is visible to every user of the machine.
void refusePasswordOnCommandLine(const QCommandLineParser& parser)
{
    if (parser.isSet(DatabaseOption) && !DatabaseSpec::parse(parser.value(DatabaseOption)).password.isEmpty())
        refuse(QStringLiteral("--database must not carry a password: any user can read a command line. Put "
                              "it in the configuration file (--config) as database-password, or use "
                              "PGPASSFILE or PGPASSWORD."));
}

QString withPassword(const QString& database, const QString& password)
{
    if (password.isEmpty() || DatabaseSpec::parse(database).kind != DatabaseSpec::Kind::Postgres)
        return database;
    QUrl url(database, QUrl::StrictMode);
    url.setPassword(password, QUrl::DecodedMode);
    return url.toString(QUrl::FullyEncoded);
}

// The configuration file's settings go before the command line's, whose later values win. Every
// option in `options` is a key there without code of its own.
ConfigFile readConfigFile(QCommandLineParser& parser, const QList<QCommandLineOption>& options,
                          const QStringList& arguments, QSet<QString>& commandLine)
{
    parser.process(arguments);
    refusePasswordOnCommandLine(parser);
    for (const QCommandLineOption& option : options) {
        if (parser.isSet(option))
            commandLine.insert(option.names().constLast());
    }
    if (!parser.isSet(ConfigOption))
        return {};
    ConfigFile config = ConfigFile::read(parser.value(ConfigOption), options);
    if (!parser.parse(arguments.mid(0, 1) + config.arguments() + arguments.mid(1)))
        refuse(parser.errorText());
    return config;
}

} // namespace

AppServerOptions AppServerOptions::parse(const QStringList& arguments, const QByteArray& tokenFromEnvironment)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Application server of the Medição de Efetivos screen."));
    parser.addHelpOption();
    parser.addVersionOption();
    // Each of these is also a key of the configuration file.
    QList<QCommandLineOption> options{ListenOption,   DatabaseOption,       SeedOption,       TokenOption,
                                      TtlOption,      RequestTtlOption,     IdleOption,       HeadOption,
                                      BodyOption,     MaxConnectionsOption, PerAddressOption, MaxBytesOption,
                                      UnsentOption,   WorkersOption,        TlsCertOption,    TlsKeyOption,
                                      ShutdownOption, LogFileOption,        LogRulesOption};
    options << DbConnectTimeoutOption << DbStatementTimeoutOption << ReadyTimeoutOption << HistoryDaysOption
            << TrustedProxyOption;
    options << SessionIdleOption << SessionLifetimeOption << AuthOption;
    options = withDefaultsShown(options);
    parser.addOptions(options);
    parser.addOption(ConfigOption);
    parser.addOption(CheckOption);
    parser.addOption(PamConfDirOption);
    QSet<QString> commandLine;
    const ConfigFile config = readConfigFile(parser, options, arguments, commandLine);
    const OptionReader reader(parser, commandLine, config);

    AppServerOptions out;
    out.checkOnly = parser.isSet(CheckOption);
    readListen(reader, out);
    refusePasswordInQuery(reader);
    out.database = withPassword(reader.text(DatabaseOption), config.databasePassword());
    out.seedDemo = reader.isSet(SeedOption);
    out.token = readToken(reader, tokenFromEnvironment);
    out.reservationTtl = reader.seconds(TtlOption);
    out.requestIdTtl = reader.seconds(RequestTtlOption);
    out.sessions.idle = reader.seconds(SessionIdleOption);
    out.sessions.lifetime = reader.seconds(SessionLifetimeOption);
    out.signIn = readSignIn(reader, parser.value(PamConfDirOption));
    out.historyRetention = std::chrono::days(reader.number<int>(HistoryDaysOption, 1, 36500));
    out.idleTimeout = reader.seconds(IdleOption);
    out.headTimeout = reader.seconds(HeadOption);
    out.bodyTimeout = reader.seconds(BodyOption);
    out.maxConnections = reader.number<int>(MaxConnectionsOption, 1);
    out.maxConnectionsPerAddress = reader.number<int>(PerAddressOption, 1);
    out.trustedProxies = readAddresses(reader, TrustedProxyOption);
    out.maxUnsentBytes = reader.number<qint64>(UnsentOption, 4096);
    out.maxRequestBytes = reader.number<qint64>(MaxBytesOption, 1024, std::numeric_limits<int>::max());
    out.workers = reader.isSet(WorkersOption) ? reader.number<int>(WorkersOption, 1, 256)
                                              : qBound(1, QThread::idealThreadCount(), 8);
    out.tlsCertificate = reader.text(TlsCertOption);
    out.tlsKey = reader.text(TlsKeyOption);
    if (out.tlsCertificate.isEmpty() != out.tlsKey.isEmpty())
        refuse(QStringLiteral("--tls-cert and --tls-key go together: give both, or neither for plain HTTP."));
    // A stop timer counts milliseconds in an int.
    out.shutdownTimeout = reader.seconds(ShutdownOption, 1, 3600);
    out.databaseConnectTimeout = reader.seconds(DbConnectTimeoutOption);
    out.databaseStatementTimeout = reader.seconds(DbStatementTimeoutOption, 0);
    out.readyTimeout = reader.seconds(ReadyTimeoutOption);
    out.logFile = reader.text(LogFileOption);
    out.logRules = reader.text(LogRulesOption);
    if (out.token.isEmpty() && !out.address.isLoopback())
        refuse(QStringLiteral("Listening on %1 needs a token: set token in the configuration file, or "
                              "MED_SERVER_TOKEN.")
                   .arg(out.address.toString()));
    return out;
}

DatabaseSpec AppServerOptions::databaseSpec() const
{
    DatabaseSpec spec = DatabaseSpec::parse(database);
    spec.connectTimeout = databaseConnectTimeout;
    spec.statementTimeout = databaseStatementTimeout;
    return spec;
}

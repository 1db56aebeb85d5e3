#include "UserCommand.h"

#include "AccountStore.h"
#include "AppServerOptions.h"
#include "Database.h"
#include "Exception.h"
#include "PasswordHash.h"
#include "PasswordPrompt.h"
#include "Schema.h"
#include "SessionStore.h"
#include "SignInThrottle.h"
#include "Transaction.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QTextStream>

namespace UserCommand {

namespace {

const QString Usage = QStringLiteral(
    "usage: med_appserver user add LOGIN --name \"FULL NAME\" --role digitador|consulta|administrador "
    "--branches 0001,0002\n"
    "       med_appserver user passwd|disable|enable LOGIN\n"
    "       med_appserver user role LOGIN --role digitador|consulta|administrador\n"
    "       med_appserver user grant|revoke LOGIN --branches 0001,0002\n"
    "       med_appserver user unlock LOGIN [--address ADDRESS]\n"
    "       med_appserver user list\n"
    "plus the server's --database or --config. passwd, role and disable end the user's open sessions:\n"
    "she signs in again. unlock clears the failed sign-ins counted against the login; with --address\n"
    "also every one counted against that client address, whatever login it tried.\n"
    "Under --auth pam (or auth = pam in the configuration) \"user add\" asks no password: the account\n"
    "signs in with its password of the system (PAM service med00418); \"user passwd\" sets the one\n"
    "--auth local checks.");

const QStringList Verbs{QStringLiteral("add"),    QStringLiteral("passwd"), QStringLiteral("role"),
                        QStringLiteral("grant"),  QStringLiteral("revoke"), QStringLiteral("disable"),
                        QStringLiteral("enable"), QStringLiteral("unlock"), QStringLiteral("list")};

const QStringList Flags{QStringLiteral("--seed-demo"), QStringLiteral("--help"), QStringLiteral("-h"),
                        QStringLiteral("--version"), QStringLiteral("-v")};

[[noreturn]] void refuse(const QString& message)
{
    throw Exception(message);
}

// A command line that is not one of the usages: answered with the usage, not as a failure of the work.
struct UsageError {
    QString problem;
};

// The command's words and own options, apart from the server's options that say where the database is.
struct Command {
    QString verb;
    QString login;
    QString name;
    QString role;
    QString branches;
    QString address;
    QStringList serverArguments;
};

Command split(const QStringList& arguments)
{
    Command out;
    out.serverArguments << arguments.value(0);
    QStringList words;
    for (qsizetype i = 2; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        QString* own = arg == u"--name"       ? &out.name
                       : arg == u"--role"     ? &out.role
                       : arg == u"--branches" ? &out.branches
                       : arg == u"--address"  ? &out.address
                                              : nullptr;
        if (own) {
            // No value starts with "--": the next option is a value forgotten, not the value.
            if (++i >= arguments.size() || arguments[i].startsWith(u"--"))
                throw UsageError{QStringLiteral("%1 needs a value").arg(arg)};
            *own = arguments[i];
        } else if (arg.startsWith(u'-')) {
            // The server's options: all but its flags take a value.
            out.serverArguments << arg;
            if (!arg.contains(u'=') && !Flags.contains(arg) && i + 1 < arguments.size())
                out.serverArguments << arguments[++i];
        } else {
            words << arg;
        }
    }
    out.verb = words.value(0);
    out.login = words.value(1);
    if (out.verb.isEmpty())
        throw UsageError{QStringLiteral("no verb given")};
    if (!Verbs.contains(out.verb))
        throw UsageError{QStringLiteral("unknown verb \"%1\"").arg(out.verb)};
    const qsizetype wanted = out.verb == u"list" ? 1 : 2;
    if (words.size() < wanted)
        throw UsageError{QStringLiteral("%1 needs a LOGIN").arg(out.verb)};
    if (words.size() > wanted)
        throw UsageError{QStringLiteral("unexpected \"%1\"").arg(words[wanted])};
    return out;
}

void checkLogin(const QString& login)
{
    if (!Account::validLogin(login))
        refuse(QStringLiteral("O login deve ter de 1 a 64 letras, dígitos ou . _ @ -: \"%1\".").arg(login));
}

QStringList branchList(const QString& text)
{
    static const QRegularExpression Code(QStringLiteral("^[0-9A-Za-z]{1,4}$"));
    const QStringList branches = text.split(u',', Qt::SkipEmptyParts);
    if (branches.isEmpty())
        refuse(QStringLiteral("--branches expects codes separated by commas, e.g. 0001,0002."));
    for (const QString& branch : branches) {
        if (!Code.match(branch).hasMatch())
            refuse(QStringLiteral("Código de filial inválido: \"%1\".").arg(branch));
    }
    return branches;
}

AccountStore::Stored existing(AccountStore& accounts, const QString& login)
{
    std::optional<AccountStore::Stored> found = accounts.find(login);
    if (!found)
        refuse(QStringLiteral("O usuário %1 não existe.").arg(login));
    return *found;
}

Account::Role roleGiven(const QString& text)
{
    const std::optional<Account::Role> role = Account::roleFromText(text);
    if (!role)
        refuse(QStringLiteral("--role expects digitador, consulta or administrador."));
    return *role;
}

QHostAddress addressGiven(const QString& text)
{
    const QHostAddress address(text);
    if (address.isNull())
        refuse(QStringLiteral("--address expects a client address as the log shows it: \"%1\".").arg(text));
    return address;
}

// Under PAM the account gets no password of its own unless `user passwd` gives it one.
void add(Database& database, const Command& command, SignInMethod::Kind signIn)
{
    Account account;
    account.login = command.login;
    account.name = command.name.trimmed();
    if (account.name.isEmpty() || account.name.size() > 100)
        refuse(QStringLiteral("--name expects the full name, up to 100 characters."));
    account.role = roleGiven(command.role);
    if (account.role != Account::Role::Administrador || !command.branches.isEmpty())
        account.branches = branchList(command.branches);
    if (AccountStore(database).find(account.login))
        refuse(QStringLiteral("O usuário %1 já existe.").arg(account.login));
    const QByteArray hash = signIn == SignInMethod::Kind::Pam
                                ? PasswordHash::none()
                                : PasswordHash::make(PasswordPrompt::readNew(account.login));
    Transaction transaction(database);
    AccountStore(database).add(account, hash);
    transaction.commit();
}

void changeBranches(Database& database, const Command& command, bool grant)
{
    const QStringList given = branchList(command.branches);
    Transaction transaction(database);
    AccountStore accounts(database);
    QStringList branches = existing(accounts, command.login).account.branches;
    for (const QString& branch : given) {
        if (grant)
            branches << branch;
        else
            branches.removeAll(branch);
    }
    accounts.setBranches(command.login, branches);
    transaction.commit();
}

// A password changed after a leak must shut out whoever holds a session opened with the old one.
void changePassword(Database& database, const QString& login)
{
    AccountStore accounts(database);
    existing(accounts, login);
    const QByteArray hash = PasswordHash::make(PasswordPrompt::readNew(login));
    Transaction transaction(database);
    accounts.setPassword(login, hash);
    SessionStore(database, {}).endAllOf(login);
    transaction.commit();
}

// The sessions end rather than carry on under the new role: the host keeps the role the sign-in
// answered (its branch search offers every branch to an administrador), and its next call signs in
// again and takes the new one.
void changeRole(Database& database, const Command& command)
{
    const Account::Role role = roleGiven(command.role);
    Transaction transaction(database);
    AccountStore(database).setRole(command.login, role);
    SessionStore(database, {}).endAllOf(command.login);
    transaction.commit();
}

void unlock(Database& database, const Command& command)
{
    const std::optional<QHostAddress> address =
        command.address.isEmpty() ? std::nullopt : std::optional(addressGiven(command.address));
    Transaction transaction(database);
    AccountStore accounts(database);
    existing(accounts, command.login);
    SignInThrottle throttle(database);
    throttle.clear(command.login);
    if (address)
        throttle.clearAddress(*address);
    transaction.commit();
}

void setActive(Database& database, const QString& login, bool active)
{
    Transaction transaction(database);
    AccountStore(database).setActive(login, active);
    if (!active)
        SessionStore(database, {}).endAllOf(login);
    transaction.commit();
}

void list(Database& database)
{
    QTextStream out(stdout);
    for (const Account& account : AccountStore(database).all()) {
        const QString branches = account.role == Account::Role::Administrador && account.branches.isEmpty()
                                     ? QStringLiteral("todas")
                                     : account.branches.join(u',');
        out << account.login << '\t' << account.name << '\t' << Account::roleText(account.role) << '\t'
            << (account.active ? "ativo" : "inativo") << '\t' << branches << '\n';
    }
}

} // namespace

bool wanted(const QStringList& arguments)
{
    return arguments.size() > 1 && arguments[1] == u"user";
}

int run(const QStringList& arguments)
{
    if (arguments.contains(u"--help") || arguments.contains(u"-h")) {
        QTextStream(stdout) << Usage << '\n';
        return 0;
    }
    Command command;
    try {
        command = split(arguments);
    } catch (const UsageError& error) {
        QTextStream(stderr) << "med_appserver user: " << error.problem << '\n' << Usage << '\n';
        return 2;
    }
    const AppServerOptions options = AppServerOptions::parse(command.serverArguments, {});
    Database database(DatabaseSpec::parse(options.database));
    Schema::migrate(database);
    if (command.verb == u"list") {
        list(database);
        return 0;
    }
    checkLogin(command.login);
    if (command.verb == u"add")
        add(database, command, options.signIn.kind);
    else if (command.verb == u"passwd")
        changePassword(database, command.login);
    else if (command.verb == u"role")
        changeRole(database, command);
    else if (command.verb == u"grant" || command.verb == u"revoke")
        changeBranches(database, command, command.verb == u"grant");
    else if (command.verb == u"disable" || command.verb == u"enable")
        setActive(database, command.login, command.verb == u"enable");
    else
        unlock(database, command);
    return 0;
}

} // namespace UserCommand

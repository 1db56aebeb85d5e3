#include "UserCommand.h"

#include "AccountStore.h"
#include "AppServerOptions.h"
#include "Database.h"
#include "Exception.h"
#include "PasswordHash.h"
#include "PasswordPrompt.h"
#include "Schema.h"
#include "SessionStore.h"
#include "Transaction.h"

#include <QRegularExpression>
#include <QTextStream>

namespace UserCommand {

namespace {

const QString Usage = QStringLiteral(
    "usage: med_appserver user add LOGIN --name \"FULL NAME\" --role digitador|consulta|administrador "
    "--branches 0001,0002\n"
    "       med_appserver user passwd|disable|enable LOGIN\n"
    "       med_appserver user grant|revoke LOGIN --branches 0001,0002\n"
    "       med_appserver user list\n"
    "plus the server's --database or --config. Under --auth pam (or auth = pam in the configuration)\n"
    "\"user add\" asks no password: the account signs in with its password of the system (PAM service\n"
    "med00418); \"user passwd\" sets the one --auth local checks.");

const QStringList Flags{QStringLiteral("--seed-demo"), QStringLiteral("--help"), QStringLiteral("-h"),
                        QStringLiteral("--version"), QStringLiteral("-v")};

[[noreturn]] void refuse(const QString& message)
{
    throw Exception(message);
}

// The command's words and own options, apart from the server's options that say where the database is.
struct Command {
    QString verb;
    QString login;
    QString name;
    QString role;
    QString branches;
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
                                              : nullptr;
        if (own) {
            if (++i >= arguments.size())
                refuse(QStringLiteral("%1 needs a value.\n%2").arg(arg, Usage));
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
    if (out.verb.isEmpty() || (out.verb != u"list" && out.login.isEmpty()) || words.size() > 2)
        refuse(Usage);
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

// Under PAM the account gets no password of its own unless `user passwd` gives it one.
void add(Database& database, const Command& command, SignInMethod::Kind signIn)
{
    Account account;
    account.login = command.login;
    account.name = command.name.trimmed();
    if (account.name.isEmpty() || account.name.size() > 100)
        refuse(QStringLiteral("--name expects the full name, up to 100 characters."));
    const std::optional<Account::Role> role = Account::roleFromText(command.role);
    if (!role)
        refuse(QStringLiteral("--role expects digitador, consulta or administrador."));
    account.role = *role;
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
    const Command command = split(arguments);
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
    else if (command.verb == u"passwd") {
        AccountStore accounts(database);
        existing(accounts, command.login);
        const QByteArray hash = PasswordHash::make(PasswordPrompt::readNew(command.login));
        accounts.setPassword(command.login, hash);
    } else if (command.verb == u"grant" || command.verb == u"revoke")
        changeBranches(database, command, command.verb == u"grant");
    else if (command.verb == u"disable" || command.verb == u"enable")
        setActive(database, command.login, command.verb == u"enable");
    else
        refuse(Usage);
    return 0;
}

} // namespace UserCommand

#include "HostSession.h"

#include "Exception.h"
#include "RemoteServer.h"
#include "TNetConnection.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

HostSession& HostSession::instance()
{
    static HostSession session;
    return session;
}

bool HostSession::reaches(const QString& branch) const
{
    return reachesEveryBranch() || user_->branches.contains(branch);
}

bool HostSession::reachesEveryBranch() const
{
    return !user_ || user_->role == QLatin1String("administrador");
}

void HostSession::signIn(TNetConnection& connection, const QString& login, const QString& password)
{
    if (!connection.Connected())
        connection.Open();
    const RemoteValue answer = connection.AppServer().call(
        QStringLiteral("Login"), {RemoteArg::string(login), RemoteArg::string(password)});
    const QJsonObject result = QJsonDocument::fromJson(answer.raw()).object();
    const QString token = result.value(QLatin1String("session")).toString();
    if (token.isEmpty())
        throw Exception(QStringLiteral("O servidor de aplicação não abriu a sessão."));
    User user{result.value(QLatin1String("login")).toString(),
              result.value(QLatin1String("name")).toString(),
              result.value(QLatin1String("role")).toString(),
              {}};
    for (const QJsonValue& branch : result.value(QLatin1String("branches")).toArray())
        user.branches << branch.toString();
    token_ = token.toUtf8();
    user_ = std::move(user);
    emit changed();
}

void HostSession::signOut(TNetConnection& connection)
{
    if (!token_.isEmpty() && connection.Connected()) {
        try {
            connection.AppServer().call(QStringLiteral("Logout"));
        } catch (const Exception&) {
            // Gone already, or the server is: the session ends here all the same.
        }
    }
    forget();
}

void HostSession::forget()
{
    token_.clear();
    user_.reset();
    emit changed();
}

bool HostSession::renew(TNetConnection& connection)
{
    // A sign-in refused for want of a session is no reason to ask again from inside it.
    if (!renewal_ || renewing_)
        return false;
    renewing_ = true;
    const auto done = qScopeGuard([this] { renewing_ = false; });
    return renewal_(connection);
}

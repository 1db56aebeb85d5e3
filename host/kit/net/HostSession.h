#pragma once

#include "host_kit_export.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class TNetConnection;

// The clerk signed in on this host: her session with the application server and what the server said
// of her (login, name, role, branches). One per process. The password is never kept: when the session
// ends on the server, the renewal (the host's sign-in dialog) asks for it again.
class HOST_KIT_EXPORT HostSession : public QObject {
    Q_OBJECT

public:
    struct User {
        QString login;
        QString name;
        QString role;
        QStringList branches;
    };

    static HostSession& instance();

    // Empty while nobody is signed in.
    const QByteArray& token() const { return token_; }
    const std::optional<User>& user() const { return user_; }
    // Whether the signed-in user may use `branch`: an administrador every one; anybody while nobody is
    // signed in (the server then has no accounts, or refuses on its own).
    bool reaches(const QString& branch) const;
    // Whether reaches() holds for every branch there is.
    bool reachesEveryBranch() const;

    // Login through `connection` (opened if it is not); raises Exception with the server's message.
    void signIn(TNetConnection& connection, const QString& login, const QString& password);
    // Ends the session on the server, as far as it answers, and here in any case.
    void signOut(TNetConnection& connection);
    // Forgets the session here only (another server is used from now on).
    void forget();

    // Asked when the server wants a session for a call: signs in again through the connection given,
    // returning false when the user gave up. None set: the call fails as refused.
    using Renewal = std::function<bool(TNetConnection&)>;
    void setRenewal(Renewal renewal) { renewal_ = std::move(renewal); }
    bool renew(TNetConnection& connection);

signals:
    void changed();

private:
    HostSession() = default;

    QByteArray token_;
    std::optional<User> user_;
    Renewal renewal_;
    bool renewing_ = false;
};

#pragma once

#include "SignIn.h"
#include "SignInMethod.h"

#include <QObject>
#include <QThreadPool>
#include <functional>

// Checks sign-ins' passwords (argon2id, PAM) on threads of its own, so that the worker owning it goes
// on serving its other connections meanwhile. At most `maxChecks` checks are running or waiting for a
// thread; past that a check is not taken. Lives in its worker's thread, where each check's outcome is
// handed on; destroyed, it lets the running checks end and drops their outcomes and the waiting ones.
class SignInPool : public QObject {
    Q_OBJECT

public:
    using Done = std::function<void(const SignIn::Check&)>;

    SignInPool(SignInMethod method, int threads, int maxChecks, QObject* parent = nullptr);
    ~SignInPool() override;

    // Checks `started` on a thread of the pool, then calls `done` in this object's thread. False, and
    // nothing is done, when `maxChecks` are under way.
    bool check(SignIn::Started started, Done done);

private:
    const SignInMethod method_;
    const int maxChecks_;
    int underWay_ = 0; // counted in this object's thread only
    QThreadPool pool_;
};

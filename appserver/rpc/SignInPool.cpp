#include "SignInPool.h"

#include <memory>

SignInPool::SignInPool(SignInMethod method, int threads, int maxChecks, QObject* parent)
    : QObject(parent), method_(std::move(method)), maxChecks_(maxChecks)
{
    pool_.setMaxThreadCount(threads);
    pool_.setObjectName(QStringLiteral("sign-in"));
}

SignInPool::~SignInPool()
{
    // Before this object goes: no check may post its outcome to it afterwards.
    pool_.clear();
    pool_.waitForDone();
}

bool SignInPool::check(SignIn::Started started, Done done)
{
    if (underWay_ >= maxChecks_)
        return false;
    ++underWay_;
    auto job = std::make_shared<const SignIn::Started>(std::move(started));
    pool_.start([this, job, done = std::move(done)] {
        const SignIn::Check outcome = SignIn::check(method_, *job);
        QMetaObject::invokeMethod(
            this,
            [this, outcome, done] {
                --underWay_;
                done(outcome);
            },
            Qt::QueuedConnection);
    });
    return true;
}

#pragma once

#include "HostSession.h"
#include "TNetConnection.h"
#include "TestAccount.h"

// For tests of the host's link: whenever a server asks for a session, the host signs in as
// TestAccount, as a clerk would in the sign-in dialog. Only for targets linking host_kit.
inline void signInAsTestAccountWhenAsked()
{
    HostSession::instance().setRenewal([](TNetConnection& connection) {
        HostSession::instance().signIn(connection, QString::fromLatin1(TestAccount::Login),
                                       QString::fromLatin1(TestAccount::Password));
        return true;
    });
}

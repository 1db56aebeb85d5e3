#pragma once

#include <QString>

// How Login checks a password: against the account's argon2id hash in our tables (local), or through
// PAM, service med00418, so that the accounts of a directory the system reaches (SSSD, LDAP) sign in
// with their own passwords. The account row (active flag, role, branches) is ours either way.
struct SignInMethod {
    enum class Kind { Local, Pam };

    Kind kind = Kind::Local;
    // PAM: the folder holding the service file; empty for the system's (/etc/pam.d).
    QString pamConfDir;
};

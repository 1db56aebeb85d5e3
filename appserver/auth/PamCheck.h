#pragma once

#include <QString>

// Asks PAM, service med00418, whether `password` is the one of `login` (pam_authenticate) and then
// whether that account may sign in now (pam_acct_mgmt). The conversation answers the password prompt
// alone, once, and nothing else; modules' notices are dropped. A module that changes the user's name
// (PAM_USER) refuses the sign-in, so no mapping signs one into another's account. A delay a module asks for
// after a failure is not slept: SignInThrottle slows guessing. Blocks for as long as the modules take (a
// directory server's answer), on the calling thread.
namespace PamCheck {

inline constexpr char Service[] = "med00418";

struct Outcome {
    enum class Verdict { Accepted, Refused, Failed };

    // Refused: PAM says no (wrong password, unknown or expired account, the user renamed). Failed: PAM could
    // not tell (a module missing or failing, its directory unreachable).
    Verdict verdict = Verdict::Failed;
    // Refused, Failed: the step and PAM's word for it, for the log; never the password.
    QString reason;
};

// Whether PAM can be asked about `password` as it is: not empty, no NUL inside (PAM reads C strings)
// and shorter than PAM_MAX_RESP_SIZE bytes (modules may keep no more). Anything else would be checked
// cut short.
bool askable(const QString& password);
// `confDir` empty: the system's service files; else the service file in that folder. `login` is a
// valid account name (Account::validLogin) and `password` askable.
Outcome check(const QString& confDir, const QString& login, const QString& password, const QString& address);

} // namespace PamCheck

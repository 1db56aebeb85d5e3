#include "PamCheck.h"

#include "CallerInfo.h"

#include <QByteArray>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <security/pam_appl.h>

namespace PamCheck {

namespace {

void wipe(QByteArray& secret)
{
    explicit_bzero(secret.data(), size_t(secret.size()));
}

struct Conversation {
    const char* password;
    bool answered = false;
};

void freeResponses(pam_response* responses, int count)
{
    for (int i = 0; i < count; ++i) {
        if (responses[i].resp) {
            explicit_bzero(responses[i].resp, std::strlen(responses[i].resp));
            std::free(responses[i].resp);
        }
    }
    std::free(responses);
}

// PAM frees the answers with free(): they are malloc'd. A prompt that wants an echoed answer (a user
// name, a one-time code) or a second password is refused: there is nothing else to give.
int converse(int count, const pam_message** messages, pam_response** responses, void* data)
{
    if (count <= 0 || count > PAM_MAX_NUM_MSG)
        return PAM_CONV_ERR;
    auto& conversation = *static_cast<Conversation*>(data);
    auto* out = static_cast<pam_response*>(std::calloc(size_t(count), sizeof(pam_response)));
    if (!out)
        return PAM_BUF_ERR;
    for (int i = 0; i < count; ++i) {
        const int style = messages[i]->msg_style;
        // A module's notice may name the account's details: not repeated anywhere.
        if (style == PAM_ERROR_MSG || style == PAM_TEXT_INFO)
            continue;
        if (style != PAM_PROMPT_ECHO_OFF || conversation.answered) {
            freeResponses(out, count);
            return PAM_CONV_ERR;
        }
        out[i].resp = strdup(conversation.password);
        if (!out[i].resp) {
            freeResponses(out, count);
            return PAM_BUF_ERR;
        }
        conversation.answered = true;
    }
    *responses = out;
    return PAM_SUCCESS;
}

// pam_unix and pam_faildelay ask for about two seconds after a failure, which would hold every
// connection of the worker signing in.
void noDelay(int, unsigned, void*) {}

// One PAM transaction, ended with the outcome of its last step.
class PamTransaction {
public:
    PamTransaction(const QString& confDir, const QByteArray& login, Conversation& conversation)
        : conversation_{converse, &conversation}, login_(login)
    {
        const QByteArray folder = confDir.toLocal8Bit();
        status_ = pam_start_confdir(Service, login.constData(), &conversation_,
                                    folder.isEmpty() ? nullptr : folder.constData(), &handle_);
    }
    ~PamTransaction()
    {
        if (handle_)
            pam_end(handle_, status_);
    }
    PamTransaction(const PamTransaction&) = delete;
    PamTransaction& operator=(const PamTransaction&) = delete;

    bool ok() const { return status_ == PAM_SUCCESS; }
    // Runs one step unless an earlier one failed. A step that let another user through in place of the
    // one asked for (a module that maps names sets PAM_USER) is that login's refusal: her account's
    // rights must never go with somebody else's password.
    void run(const char* step, int (*call)(pam_handle_t*, int))
    {
        if (!ok())
            return;
        step_ = step;
        status_ = call(handle_, PAM_SILENT | PAM_DISALLOW_NULL_AUTHTOK);
        if (ok() && !userKept())
            status_ = PAM_AUTH_ERR;
    }
    void set(const char* step, int item, const void* value)
    {
        if (!ok())
            return;
        step_ = step;
        status_ = pam_set_item(handle_, item, value);
    }
    Outcome outcome() const
    {
        if (ok())
            return {Outcome::Verdict::Accepted, {}};
        if (renamedTo_)
            return {Outcome::Verdict::Refused,
                    QStringLiteral("%1: a module changed the user to \"%2\"")
                        .arg(QLatin1String(step_), CallerInfo::userFromHeader(*renamedTo_))};
        const QString reason = QStringLiteral("%1: %2").arg(
            QLatin1String(step_), QString::fromLocal8Bit(pam_strerror(handle_, status_)));
        return {refusal() ? Outcome::Verdict::Refused : Outcome::Verdict::Failed, reason};
    }

private:
    bool userKept()
    {
        const void* item = nullptr;
        if (pam_get_item(handle_, PAM_USER, &item) == PAM_SUCCESS && item &&
            login_ == static_cast<const char*>(item))
            return true;
        renamedTo_ = QByteArray(item ? static_cast<const char*>(item) : "");
        return false;
    }

    bool refusal() const
    {
        switch (status_) {
        case PAM_AUTH_ERR:
        case PAM_USER_UNKNOWN:
        case PAM_CRED_INSUFFICIENT:
        case PAM_MAXTRIES:
        case PAM_ACCT_EXPIRED:
        case PAM_AUTHTOK_EXPIRED:
        case PAM_NEW_AUTHTOK_REQD:
        case PAM_PERM_DENIED:
            return true;
        default:
            return false;
        }
    }

    const pam_conv conversation_;
    const QByteArray login_;
    std::optional<QByteArray> renamedTo_;
    pam_handle_t* handle_ = nullptr;
    int status_ = PAM_SUCCESS;
    const char* step_ = "pam_start";
};

} // namespace

bool askable(const QString& password)
{
    QByteArray clear = password.toUtf8();
    const bool fits = !clear.isEmpty() && clear.size() < PAM_MAX_RESP_SIZE && !clear.contains('\0');
    wipe(clear);
    return fits;
}

Outcome check(const QString& confDir, const QString& login, const QString& password, const QString& address)
{
    QByteArray clear = password.toUtf8();
    Conversation conversation{clear.constData()};
    Outcome outcome;
    {
        PamTransaction transaction(confDir, login.toUtf8(), conversation);
        const QByteArray host = address.toLatin1();
        transaction.set("pam_set_item", PAM_RHOST, host.constData());
        transaction.set("pam_set_item", PAM_FAIL_DELAY, reinterpret_cast<const void*>(&noDelay));
        transaction.run("pam_authenticate", pam_authenticate);
        transaction.run("pam_acct_mgmt", pam_acct_mgmt);
        outcome = transaction.outcome();
    }
    wipe(clear);
    return outcome;
}

} // namespace PamCheck

#include "PasswordHash.h"

#include "Exception.h"

#include <sodium.h>

namespace PasswordHash {

namespace {

constexpr unsigned long long OpsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
constexpr size_t MemLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;

void startSodium()
{
    static const bool started = sodium_init() >= 0;
    if (!started)
        throw Exception(QStringLiteral("libsodium não pôde ser iniciada."));
}

} // namespace

QByteArray make(const QString& password)
{
    startSodium();
    const QByteArray clear = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, clear.constData(), quint64(clear.size()), OpsLimit, MemLimit,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw Exception(QStringLiteral("Sem memória para calcular o hash da senha."));
    return QByteArray(out);
}

bool matches(const QByteArray& hash, const QString& password)
{
    startSodium();
    if (hash.size() >= crypto_pwhash_STRBYTES)
        return false;
    const QByteArray clear = password.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), clear.constData(), quint64(clear.size())) == 0;
}

bool outdated(const QByteArray& hash)
{
    startSodium();
    return hash.size() >= crypto_pwhash_STRBYTES ||
           crypto_pwhash_str_needs_rehash(hash.constData(), OpsLimit, MemLimit) != 0;
}

const QByteArray& dummy()
{
    static const QByteArray hash = [] {
        startSodium();
        unsigned char secret[32];
        randombytes_buf(secret, sizeof secret);
        return make(
            QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(secret), sizeof secret).toHex()));
    }();
    return hash;
}

QByteArray none()
{
    return QByteArrayLiteral("!");
}

} // namespace PasswordHash

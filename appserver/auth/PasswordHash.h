#pragma once

#include <QByteArray>
#include <QString>

// Passwords as argon2id hashes in libsodium's string form (algorithm, limits and salt included), at
// libsodium's interactive limits or above. Hashing costs tens of milliseconds of one core on purpose.
namespace PasswordHash {

// Throws Exception when libsodium cannot start or the memory for the hash is not there.
QByteArray make(const QString& password);
// Whether `password` is the one `hash` was made of; false for a malformed hash.
bool matches(const QByteArray& hash, const QString& password);
// Whether `hash` was made with lower limits than make() uses now, so it is made again at sign-in.
bool outdated(const QByteArray& hash);
// A hash of a password nobody knows, made once: checked against when the login is unknown, so that
// the answer takes as long as for a wrong password.
const QByteArray& dummy();
// What is stored for an account without a password of its own (it signs in through PAM): no hash,
// so it matches no password.
QByteArray none();

} // namespace PasswordHash

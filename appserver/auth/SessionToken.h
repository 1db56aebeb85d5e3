#pragma once

#include <QByteArray>
#include <QByteArrayView>

// What a client holds after signing in: 256 random bits as base64url text. The server keeps only its
// SHA-256, so a copy of the database opens no session.
namespace SessionToken {

constexpr int RandomBytes = 32;
// base64url without padding of RandomBytes.
constexpr int TextLength = 43;

QByteArray draw();
// The hash stored for `token`, in hex; empty for a text that cannot be a token.
QByteArray stored(QByteArrayView token);

} // namespace SessionToken

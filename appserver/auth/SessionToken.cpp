#include "SessionToken.h"

#include <QCryptographicHash>
#include <sodium.h>

namespace SessionToken {

QByteArray draw()
{
    QByteArray random(RandomBytes, Qt::Uninitialized);
    randombytes_buf(random.data(), size_t(random.size()));
    return random.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

QByteArray stored(QByteArrayView token)
{
    if (token.size() != TextLength)
        return {};
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256).toHex();
}

} // namespace SessionToken

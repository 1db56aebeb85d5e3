#include "TlsSettings.h"

#include "Exception.h"

#include <QFile>
#include <QFileInfo>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <sys/socket.h>
#include <unistd.h>

namespace {

[[noreturn]] void refuse(const QString& message)
{
    throw Exception(message);
}

QByteArray readFile(const QString& path, const char* what)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        refuse(QStringLiteral("Cannot read the TLS %1 %2: %3")
                   .arg(QLatin1String(what), path, file.errorString()));
    return file.readAll();
}

// Like a configuration file holding a secret: the service's group may read it, other users nothing.
void checkKeyPermissions(const QString& path)
{
    const QFileDevice::Permissions permissions = QFileInfo(path).permissions();
    if (permissions & (QFileDevice::ReadOther | QFileDevice::WriteOther))
        refuse(QStringLiteral("The TLS key %1 can be read or changed by other users: chmod o-rw it "
                              "(chown root:med00418 and chmod 0640 let the service read it).")
                   .arg(path));
}

QSslKey readKey(const QString& path)
{
    const QByteArray pem = readFile(path, "key");
    for (const auto algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        QSslKey key(pem, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull()) {
            checkKeyPermissions(path);
            return key;
        }
    }
    refuse(QStringLiteral("The TLS key %1 is not an unencrypted PEM private key.").arg(path));
}

// Qt gives no way to compare a key with a certificate; the TLS library does when a server context is
// made, so one is made here on a local socket pair that never carries a byte.
QString contextError(const QSslConfiguration& configuration)
{
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0)
        refuse(QStringLiteral("Cannot check the TLS certificate and key: out of descriptors."));
    ::close(ends[1]);
    QSslSocket probe;
    QString error;
    QObject::connect(
        &probe, &QSslSocket::errorOccurred, &probe, [&probe, &error](QAbstractSocket::SocketError code) {
            if (code == QAbstractSocket::SslInternalError || code == QAbstractSocket::SslInvalidUserDataError)
                error = probe.errorString();
        });
    probe.setSocketDescriptor(ends[0]);
    probe.setSslConfiguration(configuration);
    probe.startServerEncryption();
    probe.abort();
    while (error.endsWith(QLatin1Char(' ')) || error.endsWith(QLatin1Char(':')))
        error.chop(1);
    return error;
}

} // namespace

QSslConfiguration TlsSettings::load(const QString& certificateFile, const QString& keyFile)
{
    if (!QSslSocket::supportsSsl())
        refuse(QStringLiteral("TLS was asked for, but no TLS library is available to Qt."));
    const QList<QSslCertificate> chain = QSslCertificate::fromData(readFile(certificateFile, "certificate"));
    if (chain.isEmpty())
        refuse(QStringLiteral("The TLS certificate %1 holds no PEM certificate.").arg(certificateFile));
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificateChain(chain);
    configuration.setPrivateKey(readKey(keyFile));
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    if (const QString error = contextError(configuration); !error.isEmpty())
        refuse(QStringLiteral("The TLS key %1 does not go with the certificate %2: %3")
                   .arg(keyFile, certificateFile, error));
    return configuration;
}

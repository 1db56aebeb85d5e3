#include "TestCertificates.h"

#include <QFile>
#include <QProcess>
#include <stdexcept>

namespace {

// Elliptic-curve keys: made in milliseconds, where RSA keys take a noticeable share of a test's time.
const QStringList NewKey{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                         QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

} // namespace

TestCertificates::TestCertificates()
{
    makeAuthority("ca", "/CN=Med00418 test CA");
    makeAuthority("other-ca", "/CN=Unrelated test CA");
    openssl(QStringList{QStringLiteral("req")} + NewKey +
            QStringList{QStringLiteral("-keyout"), path("server.key"), QStringLiteral("-out"),
                        path("server.csr"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")});
    QFile extensions(path("server.ext"));
    if (!extensions.open(QIODevice::WriteOnly) ||
        extensions.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
                         "extendedKeyUsage=serverAuth\n") < 0)
        throw std::runtime_error("cannot write the certificate extensions");
    extensions.close();
    openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), path("server.csr"),
             QStringLiteral("-CA"), caCertificate(), QStringLiteral("-CAkey"), path("ca.key"),
             QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("2"),
             QStringLiteral("-extfile"), path("server.ext"), QStringLiteral("-out"), serverCertificate()});
}

void TestCertificates::makeAuthority(const char* name, const char* subject) const
{
    const QString base = QLatin1String(name);
    openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + NewKey +
            QStringList{QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                        QLatin1String(subject), QStringLiteral("-keyout"), dir_.filePath(base + ".key"),
                        QStringLiteral("-out"), dir_.filePath(base + ".crt")});
}

void TestCertificates::openssl(const QStringList& arguments) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw std::runtime_error(("openssl " + arguments.join(' ').toUtf8() +
                                  " failed: " + process.readAll() + process.errorString().toUtf8())
                                     .toStdString());
}

#pragma once

#include <QString>
#include <QTemporaryDir>

// A certificate authority, a server certificate it signed for 127.0.0.1 (subjectAltName IP:127.0.0.1)
// and a second authority that signed nothing of ours, made with the openssl command in a temporary
// folder that lives as long as this object. Throws std::runtime_error with openssl's output when a step
// fails.
class TestCertificates {
public:
    TestCertificates();

    QString caCertificate() const { return path("ca.crt"); }
    QString serverCertificate() const { return path("server.crt"); }
    QString serverKey() const { return path("server.key"); }
    QString otherCaCertificate() const { return path("other-ca.crt"); }
    // A key that does not go with serverCertificate().
    QString otherKey() const { return path("other-ca.key"); }
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private:
    void openssl(const QStringList& arguments) const;
    void makeAuthority(const char* name, const char* subject) const;

    QTemporaryDir dir_;
};

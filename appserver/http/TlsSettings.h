#pragma once

#include <QSslConfiguration>
#include <QString>

// The server's certificate and key, read once at start and shared by every connection. Both files are
// PEM; the key must not be encrypted. TLS 1.2 is the oldest protocol offered.
namespace TlsSettings {

// Throws Exception, saying which file and why, when a file cannot be read, is not PEM, or the key does
// not belong to the certificate.
QSslConfiguration load(const QString& certificateFile, const QString& keyFile);

} // namespace TlsSettings

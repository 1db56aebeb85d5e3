#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

// What a client holds for a reservation: the number the database drew and a random secret, as one
// opaque text "NUMBER-SECRET". Numbers are sequential and guessable; the secret is what proves the
// holder, so only the client that drew a reservation can use it for an import or release it.
struct ReservationTicket {
    static constexpr int SecretBytes = 16;
    // Digits of the longest qint64, the dash and the secret in hex.
    static constexpr int MaxTextLength = 19 + 1 + 2 * SecretBytes;

    qint64 number = 0;
    QByteArray secret; // lower-case hex

    // A fresh secret from the system's random source.
    static QByteArray drawSecret();
    // Nothing unless `text` is exactly decimal digits (no sign), a dash and the secret's hex digits.
    static std::optional<ReservationTicket> parse(QStringView text);
    QString text() const;
    // Compares the secrets in time that does not depend on where they first differ.
    bool provenBy(const QByteArray& storedSecret) const;
};

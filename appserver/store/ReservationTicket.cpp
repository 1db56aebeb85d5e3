#include "ReservationTicket.h"

#include <QRandomGenerator>
#include <array>

namespace {

bool allOf(QStringView text, bool (*accepted)(QChar))
{
    for (const QChar c : text) {
        if (!accepted(c))
            return false;
    }
    return !text.isEmpty();
}

bool decimalDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool lowerHexDigit(QChar c)
{
    return decimalDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

} // namespace

QByteArray ReservationTicket::drawSecret()
{
    std::array<quint32, SecretBytes / sizeof(quint32)> words{};
    QRandomGenerator::system()->fillRange(words.data(), qsizetype(words.size()));
    return QByteArray(reinterpret_cast<const char*>(words.data()), SecretBytes).toHex();
}

std::optional<ReservationTicket> ReservationTicket::parse(QStringView text)
{
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    if (dash < 0 || text.size() > MaxTextLength)
        return std::nullopt;
    const QStringView digits = text.left(dash);
    const QStringView secret = text.mid(dash + 1);
    if (!allOf(digits, decimalDigit) || secret.size() != 2 * SecretBytes || !allOf(secret, lowerHexDigit))
        return std::nullopt;
    bool ok = false;
    const qint64 number = digits.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return ReservationTicket{number, secret.toLatin1()};
}

QString ReservationTicket::text() const
{
    return QString::number(number) + QLatin1Char('-') + QString::fromLatin1(secret);
}

bool ReservationTicket::provenBy(const QByteArray& storedSecret) const
{
    if (storedSecret.size() != secret.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < secret.size(); ++i)
        difference |= static_cast<unsigned char>(secret[i] ^ storedSecret[i]);
    return difference == 0;
}

#include "RpcArguments.h"

#include "DataPacket.h"
#include "EfetGestLayout.h"
#include "Exception.h"
#include "PacketCodec.h"
#include "RpcError.h"
#include "TDateTime.h"

namespace {

[[noreturn]] void invalid(const QString& message)
{
    throw RpcError(RpcError::InvalidParams, message);
}

QString nameOf(const char* name)
{
    return QString::fromUtf8(name);
}

void checkKeyText(const QVariant& value, int maxLength, const char* name)
{
    const QString text = value.toString();
    if (value.isNull() || text.isEmpty() || text.size() > maxLength)
        invalid(QStringLiteral("Parâmetro inválido: %1 deve ter de 1 a %2 caracteres.")
                    .arg(nameOf(name))
                    .arg(maxLength));
}

void checkKey(const Record& line)
{
    const EfetGestLayout& l = EfetGestLayout::instance();
    checkKeyText(line[l.branch], 4, "USR_CDFILIAL");
    checkKeyText(line[l.service], 5, "USR_CDSERVFILI");
    const QVariant date = line[l.date];
    if (date.isNull() || date.value<TDateTime>().hasTime())
        invalid(QStringLiteral("Parâmetro inválido: USR_DTEFETGEST deve ser uma data, sem hora."));
}

bool digitsAt(QStringView text, std::initializer_list<int> positions)
{
    for (const int i : positions) {
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return false;
    }
    return true;
}

// "YYYY-MM-DD", or that followed by a time of day that is midnight; an invalid QDate otherwise.
QDate isoDate(QStringView text)
{
    static const QString Midnight = QStringLiteral("T00:00:00");
    static const QString MidnightMs = QStringLiteral("T00:00:00.000");
    const QStringView time = text.mid(10);
    if (text.size() < 10 || !(time.isEmpty() || time == Midnight || time == MidnightMs))
        return {};
    if (text[4] != QLatin1Char('-') || text[7] != QLatin1Char('-') ||
        !digitsAt(text, {0, 1, 2, 3, 5, 6, 8, 9}))
        return {};
    return QDate(text.left(4).toInt(), text.mid(5, 2).toInt(), text.mid(8, 2).toInt());
}

} // namespace

RpcArguments::RpcArguments(const QList<RpcParam>& params, int expectedCount)
    : RpcArguments(params, expectedCount, expectedCount)
{}

RpcArguments::RpcArguments(const QList<RpcParam>& params, int minCount, int maxCount) : params_(params)
{
    if (params.size() < minCount || params.size() > maxCount)
        invalid(QStringLiteral("Parâmetros inválidos: esperados %1, recebidos %2.")
                    .arg(minCount == maxCount ? QString::number(minCount)
                                              : QStringLiteral("%1 a %2").arg(minCount).arg(maxCount))
                    .arg(params.size()));
}

const RpcParam& RpcArguments::ofKind(int index, RpcParam::Kind kind, const char* name) const
{
    const RpcParam& param = params_[index];
    if (param.kind != kind) {
        const QString expected =
            kind == RpcParam::Kind::String ? QStringLiteral("um texto") : QStringLiteral("um objeto");
        invalid(QStringLiteral("Parâmetro inválido: %1 deve ser %2.").arg(nameOf(name), expected));
    }
    return param;
}

QString RpcArguments::code(int index, const char* name, int minLength, int maxLength) const
{
    const QString& text = ofKind(index, RpcParam::Kind::String, name).text;
    if (text.size() < minLength || text.size() > maxLength)
        invalid(QStringLiteral("Parâmetro inválido: %1 deve ter de %2 a %3 caracteres.")
                    .arg(nameOf(name))
                    .arg(minLength)
                    .arg(maxLength));
    return text;
}

QStringList RpcArguments::codes(int index, const char* name, int maxCount, int maxLength) const
{
    const QString& text = ofKind(index, RpcParam::Kind::String, name).text;
    const auto refuse = [&] {
        invalid(QStringLiteral("Parâmetro inválido: %1 deve ter de 1 a %2 códigos de 1 a %3 caracteres, "
                               "separados por vírgula.")
                    .arg(nameOf(name))
                    .arg(maxCount)
                    .arg(maxLength));
    };
    if (text.isEmpty() || text.size() > qsizetype(maxCount) * (maxLength + 1))
        refuse();
    QStringList out = text.split(QLatin1Char(','));
    if (out.size() > maxCount)
        refuse();
    for (const QString& code : std::as_const(out)) {
        if (code.isEmpty() || code.size() > maxLength)
            refuse();
    }
    return out;
}

QDate RpcArguments::date(int index, const char* name) const
{
    const QString& text = ofKind(index, RpcParam::Kind::String, name).text;
    const QDate date = isoDate(text);
    if (!date.isValid())
        invalid(QStringLiteral("Parâmetro inválido: %1 deve ser uma data AAAA-MM-DD.").arg(nameOf(name)));
    return date;
}

std::optional<ReservationTicket> RpcArguments::reservation(int index, const char* name) const
{
    const QString& text = ofKind(index, RpcParam::Kind::String, name).text;
    if (text.isEmpty())
        return std::nullopt;
    std::optional<ReservationTicket> ticket = ReservationTicket::parse(text);
    if (!ticket)
        invalid(QStringLiteral("Parâmetro inválido: %1 deve ser o texto de reserva recebido do servidor.")
                    .arg(nameOf(name)));
    return ticket;
}

std::optional<qint64> RpcArguments::historyCursor(int index, const char* name) const
{
    const QString& text = ofKind(index, RpcParam::Kind::String, name).text;
    if (text.isEmpty())
        return std::nullopt;
    bool number =
        text.size() <= 18 && !text.startsWith(QLatin1Char('+')) && !text.startsWith(QLatin1Char('-'));
    const qint64 value = number ? text.toLongLong(&number) : 0;
    if (!number || value <= 0)
        invalid(QStringLiteral("Parâmetro inválido: %1 deve ser o texto de continuação recebido do servidor.")
                    .arg(nameOf(name)));
    return value;
}

QList<Change> RpcArguments::efetGestChangeSet(int index, const char* name) const
{
    const QByteArray& json = ofKind(index, RpcParam::Kind::Object, name).json;
    QList<Change> changes;
    try {
        changes = PacketCodec::decodeChangeSet(DataPacket(json), EfetGestLayout::instance().fields);
    } catch (const Exception& error) {
        invalid(QStringLiteral("Parâmetro inválido: %1: %2").arg(nameOf(name), error.Message()));
    }
    for (const Change& change : changes) {
        if (change.kind != ChangeKind::Deleted)
            checkKey(change.values);
        if (change.kind != ChangeKind::Inserted)
            checkKey(change.original);
    }
    return changes;
}

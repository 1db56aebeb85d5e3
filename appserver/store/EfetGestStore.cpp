#include "EfetGestStore.h"

#include "Database.h"
#include "EfetGestLayout.h"
#include "JsonText.h"
#include "PacketCodec.h"
#include "TDateTime.h"

#include <QSet>
#include <array>
#include <utility>
#include <vector>

namespace {

const QString LinesSql = QStringLiteral(
    "SELECT E.USR_CDFILIAL, E.USR_DTEFETGEST, E.USR_CDSERVFILI, E.USR_QTEFETGEST, E.USR_VREFETGEST, "
    "E.USR_VRTTSERVGEST, S.NMSERVICO FROM USR_EFETGEST E "
    "LEFT JOIN SERVICO S ON S.CDFILIAL = E.USR_CDFILIAL AND S.CDSERVFILI = E.USR_CDSERVFILI "
    "WHERE E.USR_CDFILIAL = ? AND E.USR_DTEFETGEST = ? ORDER BY E.USR_CDSERVFILI");

const QString KeySql = QStringLiteral("SELECT USR_CDSERVFILI FROM USR_EFETGEST "
                                      "WHERE USR_CDFILIAL = ? AND USR_DTEFETGEST = ? AND USR_CDSERVFILI = ?");

const QString DayKeysSql = QStringLiteral("SELECT USR_CDSERVFILI FROM USR_EFETGEST "
                                          "WHERE USR_CDFILIAL = ? AND USR_DTEFETGEST = ?");

Record lineOf(const DatabaseRow& row, const SqlDialect& d)
{
    const EfetGestLayout& l = EfetGestLayout::instance();
    Record line(l.fields.size());
    line[l.branch] = row.text(0);
    line[l.date] = QVariant::fromValue(TDateTime::fromDate(row.date(1)));
    line[l.service] = row.text(2);
    line[l.staff] = d.fromDecimal(row.value(3));
    line[l.unitPrice] = d.fromDecimal(row.value(4));
    line[l.total] = d.fromDecimal(row.value(5));
    line[l.serviceName] = row.text(6);
    return line;
}

// How each field of a line is written from the row as SQLite stores it, in the packet's field order.
class LinePlan {
public:
    LinePlan()
    {
        const EfetGestLayout& l = EfetGestLayout::instance();
        const std::array<std::pair<int, Kind>, 7> columns{{{l.branch, Text},
                                                           {l.date, Date},
                                                           {l.service, Text},
                                                           {l.staff, Decimal},
                                                           {l.unitPrice, Decimal},
                                                           {l.total, Decimal},
                                                           {l.serviceName, Text}}};
        // A field of another type than expected is always left to the codec.
        static constexpr TFieldType Types[] = {TFieldType::ftString, TFieldType::ftDateTime,
                                               TFieldType::ftBCD};
        plan_.resize(l.fields.size(), {-1, Text});
        for (int column = 0; column < int(columns.size()); ++column) {
            const auto [field, kind] = columns[column];
            if (l.fields[field].type == Types[kind])
                plan_[field] = {column, kind};
        }
        const QByteArray empty = PacketCodec::encodePacket(l.fields, {}).json();
        head_ = empty.left(empty.size() - 2);
    }

    static const LinePlan& instance()
    {
        static const LinePlan plan;
        return plan;
    }

    // The packet up to its first line.
    const QByteArray& head() const { return head_; }

    // Appends the line, or appends nothing and returns false for a stored value it leaves to the codec.
    bool append(QByteArray& out, const DatabaseRow& row) const
    {
        const qsizetype start = out.size();
        out.append('[');
        for (std::size_t field = 0; field < plan_.size(); ++field) {
            if (field > 0)
                out.append(',');
            if (!appendValue(out, row, plan_[field].first, plan_[field].second)) {
                out.resize(start);
                return false;
            }
        }
        out.append(']');
        return true;
    }

    // The line as the codec writes it, from its values read into a record.
    void appendEncoded(QByteArray& out, const Record& line) const
    {
        const QByteArray packet = PacketCodec::encodePacket(EfetGestLayout::instance().fields, {line}).json();
        out.append(QByteArrayView(packet).sliced(head_.size(), packet.size() - head_.size() - 2));
    }

private:
    enum Kind { Text, Date, Decimal };

    static bool appendValue(QByteArray& out, const DatabaseRow& row, int column, Kind kind)
    {
        if (column < 0)
            return false;
        if (kind != Date && row.isNull(column)) {
            out.append("null");
            return true;
        }
        if (kind == Text) {
            const std::optional<std::string_view> text = row.storedText(column);
            return text && JsonText::appendString(out, *text);
        }
        if (kind == Decimal) {
            const std::optional<qint64> ticks = row.storedInteger(column);
            if (ticks)
                JsonText::appendDecimal(out, *ticks);
            return ticks.has_value();
        }
        return row.storedText(column) && JsonText::appendDate(out, row.date(column));
    }

    std::vector<std::pair<int, Kind>> plan_;
    QByteArray head_;
};

} // namespace

QList<Record> EfetGestStore::lines(const QString& branch, QDate date) const
{
    const SqlDialect& d = database_.dialect();
    QList<Record> out;
    database_.selectRows(LinesSql, {branch, d.toDate(date)},
                         [&](const DatabaseRow& row) { out.append(lineOf(row, d)); });
    return out;
}

QByteArray EfetGestStore::linesPacket(const QString& branch, QDate date) const
{
    if (!database_.readsInPlace())
        return PacketCodec::encodePacket(EfetGestLayout::instance().fields, lines(branch, date)).json();
    const LinePlan& plan = LinePlan::instance();
    const SqlDialect& d = database_.dialect();
    QByteArray out;
    out.reserve(plan.head().size() + 4096);
    out.append(plan.head());
    bool first = true;
    database_.selectRows(LinesSql, {branch, d.toDate(date)}, [&](const DatabaseRow& row) {
        if (!std::exchange(first, false))
            out.append(',');
        if (!plan.append(out, row))
            plan.appendEncoded(out, lineOf(row, d));
    });
    out.append("]}");
    return out;
}

QList<Record> EfetGestStore::servicesWithKey(const QString& branch, QDate date, const QString& service) const
{
    QList<Record> out;
    database_.selectRows(KeySql, {branch, database_.dialect().toDate(date), service},
                         [&](const DatabaseRow& row) { out.append(Record{row.text(0)}); });
    return out;
}

QList<Record> EfetGestStore::servicesWithKeys(const QString& branch, QDate date,
                                              const QStringList& services) const
{
    // One read of the branch's day, looked up by code: the answer of asking code by code, in one query.
    QSet<QString> stored;
    database_.selectRows(DayKeysSql, {branch, database_.dialect().toDate(date)},
                         [&](const DatabaseRow& row) { stored.insert(row.text(0).toString()); });
    QList<Record> out;
    QSet<QString> listed;
    for (const QString& service : services) {
        if (stored.contains(service) && !listed.contains(service)) {
            listed.insert(service);
            out.append(Record{service});
        }
    }
    return out;
}

#include "EfetGestStore.h"

#include "Database.h"
#include "EfetGestLayout.h"
#include "JsonText.h"
#include "PacketCodec.h"
#include "ServiceNameReader.h"
#include "TDateTime.h"

#include <QSet>
#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

const QString LinesSql = QStringLiteral(
    "SELECT E.USR_CDFILIAL, E.USR_DTEFETGEST, E.USR_CDSERVFILI, E.USR_QTEFETGEST, E.USR_VREFETGEST, "
    "E.USR_VRTTSERVGEST, S.NMSERVICO FROM USR_EFETGEST E "
    "LEFT JOIN SERVICO S ON S.CDFILIAL = E.USR_CDFILIAL AND S.CDSERVFILI = E.USR_CDSERVFILI "
    "WHERE E.USR_CDFILIAL = ? AND E.USR_DTEFETGEST = ? ORDER BY E.USR_CDSERVFILI");

// The same lines without the service names, which ServiceNameReader merges in.
const QString LinesOnlySql = QStringLiteral(
    "SELECT USR_CDFILIAL, USR_DTEFETGEST, USR_CDSERVFILI, USR_QTEFETGEST, USR_VREFETGEST, USR_VRTTSERVGEST "
    "FROM USR_EFETGEST WHERE USR_CDFILIAL = ? AND USR_DTEFETGEST = ? ORDER BY USR_CDSERVFILI");
constexpr int ServiceColumn = 2;
// In a line's plan, the column past the line's own six: the name in its service's row.
constexpr int ServiceNameColumn = 6;

const QString KeySql = QStringLiteral("SELECT USR_CDSERVFILI FROM USR_EFETGEST "
                                      "WHERE USR_CDFILIAL = ? AND USR_DTEFETGEST = ? AND USR_CDSERVFILI = ?");

const QString DayKeysSql = QStringLiteral("SELECT USR_CDSERVFILI FROM USR_EFETGEST "
                                          "WHERE USR_CDFILIAL = ? AND USR_DTEFETGEST = ?");

Record lineOf(const DatabaseRow& row, const SqlDialect& d, const QVariant& serviceName)
{
    const EfetGestLayout& l = EfetGestLayout::instance();
    Record line(l.fields.size());
    line[l.branch] = row.text(0);
    line[l.date] = QVariant::fromValue(TDateTime::fromDate(row.date(1)));
    line[l.service] = row.text(2);
    line[l.staff] = d.fromDecimal(row.value(3));
    line[l.unitPrice] = d.fromDecimal(row.value(4));
    line[l.total] = d.fromDecimal(row.value(5));
    line[l.serviceName] = serviceName;
    return line;
}

// A line as read: its own row, and the row of its service (code, name) when there is one.
struct LineRows {
    const DatabaseRow& line;
    const DatabaseRow* service;
};

// Whether every byte is ASCII: such codes bind as text unchanged, so the merge finds what the join would.
bool ascii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The last date written: the lines of a day all store the same text, read and written only once.
struct DateMemo {
    std::string stored;
    QByteArray json;
};

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
    bool append(QByteArray& out, const LineRows& rows, DateMemo& date) const
    {
        const qsizetype start = out.size();
        out.append('[');
        for (std::size_t field = 0; field < plan_.size(); ++field) {
            if (field > 0)
                out.append(',');
            if (!appendValue(out, rows, plan_[field].first, plan_[field].second, date)) {
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

    static bool appendValue(QByteArray& out, const LineRows& rows, int column, Kind kind, DateMemo& date)
    {
        if (column < 0)
            return false;
        if (column == ServiceNameColumn) {
            if (!rows.service) {
                out.append("null");
                return true;
            }
            return appendStored(out, *rows.service, 1, kind, date);
        }
        return appendStored(out, rows.line, column, kind, date);
    }

    static bool appendStored(QByteArray& out, const DatabaseRow& row, int column, Kind kind, DateMemo& date)
    {
        if (kind == Date)
            return appendDate(out, row, column, date);
        if (row.isNull(column)) {
            out.append("null");
            return true;
        }
        if (kind == Text) {
            const std::optional<std::string_view> text = row.storedText(column);
            return text && JsonText::appendString(out, *text);
        }
        const std::optional<qint64> ticks = row.storedInteger(column);
        if (ticks)
            JsonText::appendDecimal(out, *ticks);
        return ticks.has_value();
    }

    static bool appendDate(QByteArray& out, const DatabaseRow& row, int column, DateMemo& memo)
    {
        const std::optional<std::string_view> stored = row.storedText(column);
        if (!stored)
            return false;
        if (memo.json.isEmpty() || *stored != memo.stored) {
            QByteArray json;
            if (!JsonText::appendDate(json, row.date(column)))
                return false;
            memo.stored = *stored;
            memo.json = json;
        }
        out.append(memo.json);
        return true;
    }

    std::vector<std::pair<int, Kind>> plan_;
    QByteArray head_;
};

// The packet from the lines and their services read side by side; nothing when a line's code is not
// ASCII text, which only the join compares as SQLite does.
std::optional<QByteArray> mergedPacket(Database& database, const QString& branch, QDate date)
{
    const LinePlan& plan = LinePlan::instance();
    const SqlDialect& d = database.dialect();
    ServiceNameReader services(database, branch);
    DateMemo dates;
    QByteArray out;
    out.reserve(plan.head().size() + 4096);
    out.append(plan.head());
    bool first = true;
    bool merged = true;
    database.selectRows(LinesOnlySql, {branch, d.toDate(date)}, [&](const DatabaseRow& row) {
        const std::optional<std::string_view> code = row.storedText(ServiceColumn);
        if (!merged || !code || !ascii(*code)) {
            merged = false;
            return;
        }
        if (!std::exchange(first, false))
            out.append(',');
        const LineRows rows{row, services.find(*code)};
        if (!plan.append(out, rows, dates))
            plan.appendEncoded(out, lineOf(row, d, rows.service ? rows.service->text(1) : QVariant()));
    });
    if (!merged)
        return std::nullopt;
    out.append("]}");
    return out;
}

} // namespace

QList<Record> EfetGestStore::lines(const QString& branch, QDate date) const
{
    const SqlDialect& d = database_.dialect();
    QList<Record> out;
    database_.selectRows(LinesSql, {branch, d.toDate(date)},
                         [&](const DatabaseRow& row) { out.append(lineOf(row, d, row.text(6))); });
    return out;
}

QByteArray EfetGestStore::linesPacket(const QString& branch, QDate date) const
{
    if (database_.readsInPlace()) {
        if (std::optional<QByteArray> packet = mergedPacket(database_, branch, date))
            return *std::move(packet);
    }
    return PacketCodec::encodePacket(EfetGestLayout::instance().fields, lines(branch, date)).json();
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

#include "ServiceNameReader.h"

#include "Database.h"

#include <optional>
#include <stdexcept>
#include <utility>

namespace {

const QString NamesFromSql = QStringLiteral("SELECT CDSERVFILI, NMSERVICO FROM SERVICO "
                                            "WHERE CDFILIAL = ? AND CDSERVFILI >= ? ORDER BY CDSERVFILI");

// Past this many codes without a line, a seek is cheaper than stepping on.
constexpr int StepsBeforeSeek = 4;

} // namespace

ServiceNameReader::ServiceNameReader(Database& database, const QString& branch)
    : cursor_(database.cursor(NamesFromSql)), branch_(branch)
{
    if (!cursor_)
        throw std::logic_error("ServiceNameReader needs SQLite");
}

const DatabaseRow* ServiceNameReader::find(std::string_view code)
{
    if (!std::exchange(started_, true))
        seek(code);
    for (int steps = 0; before(code); ++steps) {
        if (steps == StepsBeforeSeek) {
            seek(code);
            break;
        }
        cursor_->next();
    }
    if (!cursor_->atRow())
        return nullptr;
    const std::optional<std::string_view> found = cursor_->row().storedText(0);
    return found && *found == code ? &cursor_->row() : nullptr;
}

bool ServiceNameReader::before(std::string_view code) const
{
    if (!cursor_->atRow())
        return false;
    const std::optional<std::string_view> at = cursor_->row().storedText(0);
    return at && *at < code;
}

void ServiceNameReader::seek(std::string_view code)
{
    cursor_->start({branch_, QString::fromLatin1(code.data(), qsizetype(code.size()))});
}

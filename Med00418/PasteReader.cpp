#include "PasteReader.h"

#include "EConvertError.h"
#include "ERangeError.h"
#include "TBCDField.h"
#include "TColumn.h"
#include "TColumns.h"
#include "TDBGrid.h"
#include "TStringField.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

QString columnCountMessage(qsizetype count, qsizetype copyWidth)
{
    return QStringLiteral(
               "A linha tem %1 %2; são 3 ou 4 (código, nº de efetivos, valor unitário e, se quiser, "
               "valor total) ou as %3 da lista copiada da tela.")
        .arg(QString::number(count), count == 1 ? QStringLiteral("coluna") : QStringLiteral("colunas"),
             QString::number(copyWidth));
}

// The value, or none when the text is no number of that form.
template <typename Parse> std::optional<Currency> tried(Parse parse)
{
    try {
        return parse();
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

// As the user's locale writes it, or as a spreadsheet of any locale writes it ungrouped: "10.5", "10,5".
std::optional<Currency> number(const QString& text)
{
    if (auto value = tried([&] { return Currency::parse(text, QLocale()); }))
        return value;
    static const QRegularExpression plain(QStringLiteral("^[+-]?[0-9]+([.,][0-9]+)?$"));
    if (!plain.match(text).hasMatch())
        return std::nullopt;
    return tried([&] { return Currency::parse(QString(text).replace(QLatin1Char(','), QLatin1Char('.'))); });
}

bool fits(Currency value, const TBCDField& field)
{
    try {
        return value.roundedTo(field.Scale()).integerDigits() <= field.Precision() - field.Scale();
    } catch (const ERangeError&) {
        return false;
    }
}

} // namespace

PasteReader::PasteReader(const TDBGrid& grid, const TStringField& code, const TBCDField& staff,
                         const TBCDField& price, const TBCDField& total)
    : code_(code), staff_(staff), price_(price), total_(total)
{
    for (int i = 0; i < grid.Columns().Count(); ++i) {
        const TColumn* column = grid.Columns()[i];
        if (column->Visible() && column->Field()) {
            shown_ << column->Field();
            titles_ << column->Title().Caption();
        }
    }
}

bool PasteReader::isCopyTitle(const QStringList& cells) const
{
    if (cells.size() != titles_.size())
        return false;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (cells[i].trimmed() != titles_[i])
            return false;
    }
    return true;
}

PastedLine PasteReader::read(const QStringList& cells) const
{
    const QList<const TField*> spreadsheet{&code_, &staff_, &price_, &total_};
    QList<const TField*> layout;
    if (cells.size() == 3 || cells.size() == 4)
        layout = spreadsheet.mid(0, cells.size());
    else if (cells.size() == shown_.size())
        layout = shown_;
    else
        throw EConvertError(columnCountMessage(cells.size(), shown_.size()));
    const auto cellOf = [&](const TField& field) {
        const qsizetype at = layout.indexOf(&field);
        return at < 0 ? QString() : cells[at].trimmed();
    };
    return PastedLine{readCode(cellOf(code_)), readNumber(cellOf(staff_), staff_),
                      readNumber(cellOf(price_), price_), readNumber(cellOf(total_), total_)};
}

QString PasteReader::titleOf(const TField& field) const
{
    const qsizetype at = shown_.indexOf(&field);
    return at < 0 ? field.DisplayLabel() : titles_[at];
}

QString PasteReader::readCode(const QString& text) const
{
    if (text.size() > code_.Size())
        throw EConvertError(QStringLiteral("%1: '%2' excede %3 caracteres.")
                                .arg(titleOf(code_), text, QString::number(code_.Size())));
    return text;
}

std::optional<Currency> PasteReader::readNumber(const QString& text, const TBCDField& field) const
{
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<Currency> value = number(text);
    if (!value)
        throw EConvertError(
            QStringLiteral("%1: '%2' não é um valor decimal válido.").arg(titleOf(field), text));
    if (!fits(*value, field))
        throw EConvertError(
            QStringLiteral("%1: '%2' excede o limite da coluna (%3 dígitos inteiros).")
                .arg(titleOf(field), text, QString::number(field.Precision() - field.Scale())));
    return value;
}

#pragma once

#include "Currency.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class TBCDField;
class TDBGrid;
class TField;
class TStringField;

// A pasted row's values for a new line; a value left out stays empty for the line's own checks.
struct PastedLine {
    QString code;
    std::optional<Currency> staff;
    std::optional<Currency> price;
    std::optional<Currency> total;
};

// Reads pasted rows as a clerk brings them: three or four columns from a spreadsheet (code, staff, unit
// price and, if any, total), or the grid's own list copy in its columns' order, whose service name is
// left out (the service check fills it in). Numbers are read as the user's locale writes them, grouped
// or not, or plainly with a point or a comma before the decimals. A refused row raises EConvertError
// naming the column by the title the grid shows. Takes the grid's columns when made.
class PasteReader {
public:
    PasteReader(const TDBGrid& grid, const TStringField& code, const TBCDField& staff, const TBCDField& price,
                const TBCDField& total);

    // The title row the grid's list copy begins with.
    bool isCopyTitle(const QStringList& cells) const;
    PastedLine read(const QStringList& cells) const;

private:
    QString titleOf(const TField& field) const;
    QString readCode(const QString& text) const;
    std::optional<Currency> readNumber(const QString& text, const TBCDField& field) const;

    const TStringField& code_;
    const TBCDField& staff_;
    const TBCDField& price_;
    const TBCDField& total_;
    // The grid's visible columns, as its list copy writes them.
    QList<const TField*> shown_;
    QStringList titles_;
};

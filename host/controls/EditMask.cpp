#include "EditMask.h"

#include <QStringList>

namespace {

// Qt's code for a mask character, or a null char for a literal.
QChar qtCode(QChar c)
{
    switch (c.unicode()) {
    case '0':
        return u'9';
    case '9':
        return u'0';
    case 'L':
        return u'A';
    case 'l':
        return u'a';
    case 'A':
        return u'N';
    case 'a':
        return u'n';
    case 'C':
        return u'X';
    case 'c':
        return u'x';
    case '#':
        return u'#';
    default:
        return {};
    }
}

bool isQtSpecial(QChar c)
{
    return QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{}").contains(c);
}

} // namespace

EditMask::EditMask(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(';'));
    const QString mask = parts.value(0);
    keepLiterals_ = parts.size() < 2 || parts[1] != QLatin1String("0");
    if (parts.size() >= 3 && !parts[2].isEmpty())
        blank_ = parts[2].front();
    else if (parts.size() >= 3)
        blank_ = QLatin1Char(' ');

    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (c == u'>' || c == u'<' || c == u'!') {
            qtMask_ += c;
            continue;
        }
        QChar code = c == u'\\' ? QChar() : qtCode(c);
        QChar literal = c;
        if (c == u'\\' && i + 1 < mask.size())
            literal = mask[++i];
        if (!code.isNull()) {
            qtMask_ += code;
            literalPositions_ += u'_';
        } else {
            if (isQtSpecial(literal))
                qtMask_ += u'\\';
            qtMask_ += literal;
            literalPositions_ += u'L';
        }
        ++length_;
    }
    if (!qtMask_.isEmpty())
        qtMask_ += u';' + QString(blank_);
}

QString EditMask::TextOf(const QString& maskedText) const
{
    QString result;
    for (qsizetype i = 0; i < maskedText.size(); ++i) {
        const bool literal = i < literalPositions_.size() && literalPositions_[i] == u'L';
        if (literal && !keepLiterals_)
            continue;
        if (!literal && maskedText[i] == blank_)
            continue;
        result += maskedText[i];
    }
    return result;
}

int EditMask::TypedEnd(const QString& maskedText) const
{
    int end = 0;
    for (qsizetype i = 0; i < maskedText.size(); ++i) {
        const bool literal = i < literalPositions_.size() && literalPositions_[i] == u'L';
        if (!literal && maskedText[i] != blank_)
            end = int(i) + 1;
    }
    return end;
}

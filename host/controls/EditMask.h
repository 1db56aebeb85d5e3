#pragma once

#include "host_controls_export.h"

#include <QString>

// An edit mask written as "mask;keep literals;blank" ("9999;0; "): '0' a digit that must be typed, '9'
// a digit that may be, 'L'/'l' a letter, 'A'/'a' a letter or digit, 'C'/'c' any character, '#' a digit
// or sign, '>' and '<' upper and lower case from there on, '\' the next character as it is, anything
// else a literal.
class HOST_CONTROLS_EXPORT EditMask {
public:
    EditMask() = default;
    explicit EditMask(const QString& text);

    bool IsEmpty() const { return qtMask_.isEmpty(); }
    // The same mask in Qt's input-mask language, blank character included.
    const QString& QtMask() const { return qtMask_; }
    bool KeepsLiterals() const { return keepLiterals_; }
    QChar Blank() const { return blank_; }
    // Number of positions the mask holds.
    int Length() const { return length_; }
    // The text the control gives: without the blank character, and without the literals unless kept.
    QString TextOf(const QString& maskedText) const;
    // The position just after the last character typed in `maskedText`; 0 when nothing is typed.
    int TypedEnd(const QString& maskedText) const;

private:
    QString qtMask_;
    QString literalPositions_; // 'L' where the mask holds a literal, '_' where it takes input
    bool keepLiterals_ = true;
    QChar blank_ = QLatin1Char('_');
    int length_ = 0;
};

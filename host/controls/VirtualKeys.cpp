#include "VirtualKeys.h"

#include <QKeyEvent>

namespace VirtualKeys {

namespace {

int keypadCode(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return vkNumpad0 + (qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk:
        return vkMultiply;
    case Qt::Key_Plus:
        return vkAdd;
    case Qt::Key_Minus:
        return vkSubtract;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return vkDecimal;
    case Qt::Key_Slash:
        return vkDivide;
    default:
        return 0;
    }
}

int namedKeyCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Backspace:
        return vkBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vkReturn;
    case Qt::Key_Shift:
        return vkShift;
    case Qt::Key_Control:
        return vkControl;
    case Qt::Key_Alt:
        return vkMenu;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return vkEscape;
    case Qt::Key_Space:
        return vkSpace;
    case Qt::Key_PageUp:
        return vkPrior;
    case Qt::Key_PageDown:
        return vkNext;
    case Qt::Key_End:
        return vkEnd;
    case Qt::Key_Home:
        return vkHome;
    case Qt::Key_Left:
        return vkLeft;
    case Qt::Key_Up:
        return vkUp;
    case Qt::Key_Right:
        return vkRight;
    case Qt::Key_Down:
        return vkDown;
    case Qt::Key_Print:
        return 44;
    case Qt::Key_Insert:
        return vkInsert;
    case Qt::Key_Delete:
        return vkDelete;
    case Qt::Key_Menu:
        return 93;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;
    default:
        return 0;
    }
}

int punctuationCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    default:
        return 0;
    }
}

} // namespace

int fromQtKey(int qtKey, bool keypad)
{
    if (keypad) {
        if (const int code = keypadCode(qtKey))
            return code;
    }
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey; // the same codes as ASCII digits and capitals
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return vkF1 + (qtKey - Qt::Key_F1);
    if (const int code = namedKeyCode(qtKey))
        return code;
    return punctuationCode(qtKey);
}

int fromEvent(const QKeyEvent& event)
{
    return fromQtKey(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
}

Qt::KeyboardModifiers shiftState(const QKeyEvent& event)
{
    Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (event.key() == Qt::Key_Backtab)
        modifiers |= Qt::ShiftModifier;
    return modifiers;
}

} // namespace VirtualKeys

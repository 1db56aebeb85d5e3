#pragma once

#include "host_controls_export.h"

#include <Qt>

class QKeyEvent;

// The virtual-key codes that key handlers receive, as the screens were written for them.
namespace VirtualKeys {

inline constexpr int vkBack = 8;
inline constexpr int vkTab = 9;
inline constexpr int vkReturn = 13;
inline constexpr int vkShift = 16;
inline constexpr int vkControl = 17;
inline constexpr int vkMenu = 18;
inline constexpr int vkEscape = 27;
inline constexpr int vkSpace = 32;
inline constexpr int vkPrior = 33;
inline constexpr int vkNext = 34;
inline constexpr int vkEnd = 35;
inline constexpr int vkHome = 36;
inline constexpr int vkLeft = 37;
inline constexpr int vkUp = 38;
inline constexpr int vkRight = 39;
inline constexpr int vkDown = 40;
inline constexpr int vkInsert = 45;
inline constexpr int vkDelete = 46;
inline constexpr int vkNumpad0 = 96;
inline constexpr int vkMultiply = 106;
inline constexpr int vkAdd = 107;
inline constexpr int vkSubtract = 109;
inline constexpr int vkDecimal = 110;
inline constexpr int vkDivide = 111;
inline constexpr int vkF1 = 112;
inline constexpr int vkF2 = 113;
inline constexpr int vkF12 = 123;

// The code of a Qt key; keypad digits and operators get their keypad codes when `keypad` is set.
// 0 for a key without a code.
HOST_CONTROLS_EXPORT int fromQtKey(int qtKey, bool keypad);
HOST_CONTROLS_EXPORT int fromEvent(const QKeyEvent& event);
// The modifier keys held, without Qt's keypad marker.
HOST_CONTROLS_EXPORT Qt::KeyboardModifiers shiftState(const QKeyEvent& event);

} // namespace VirtualKeys

#pragma once

#include "Exception.h"

#include <QString>
#include <functional>

// What `action` raised, as the clerk would read it; a marker when it raised nothing.
inline QString messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("<nothing raised>");
}

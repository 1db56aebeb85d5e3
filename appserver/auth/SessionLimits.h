#pragma once

#include <chrono>

// How long a session lasts: `idle` since its last call, `lifetime` since the sign-in, whichever ends first.
struct SessionLimits {
    std::chrono::seconds idle = std::chrono::hours(8);
    std::chrono::seconds lifetime = std::chrono::hours(12);
};

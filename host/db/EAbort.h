#pragma once

#include "Exception.h"

// The silent error: ends the running operation without showing anything.
class HOST_DB_EXPORT EAbort : public Exception {
public:
    EAbort();
};

// Raises EAbort.
[[noreturn]] HOST_DB_EXPORT void Abort();

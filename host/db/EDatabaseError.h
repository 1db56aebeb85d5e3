#pragma once

#include "Exception.h"

// A data set, field or packet refused an operation or a value.
class HOST_DB_EXPORT EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

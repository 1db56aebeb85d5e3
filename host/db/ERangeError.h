#pragma once

#include "Exception.h"

// An arithmetic result fell outside the range of its type.
class HOST_DB_EXPORT ERangeError : public Exception {
public:
    using Exception::Exception;
};

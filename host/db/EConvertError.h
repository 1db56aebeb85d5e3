#pragma once

#include "Exception.h"

// A text could not be read as the number or date it should hold.
class HOST_DB_EXPORT EConvertError : public Exception {
public:
    using Exception::Exception;
};

#pragma once

#include "host_kit_export.h"

#include <QString>

// Where the application server is, as the host's settings say now.
namespace Quarvel {

HOST_KIT_EXPORT QString WebURL();
HOST_KIT_EXPORT int WebPort();

} // namespace Quarvel

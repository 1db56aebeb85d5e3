#include "Quarvel.h"

#include "HostSettings.h"

namespace Quarvel {

QString WebURL()
{
    return HostSettings().webUrl();
}

int WebPort()
{
    return HostSettings().webPort();
}

} // namespace Quarvel

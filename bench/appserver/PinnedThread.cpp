#include "PinnedThread.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

PinnedThread::PinnedThread(int core)
{
    if (::sched_getaffinity(0, sizeof before_, &before_) != 0)
        throw std::runtime_error(std::string("sched_getaffinity: ") + std::strerror(errno));
    cpu_set_t only;
    CPU_ZERO(&only);
    CPU_SET(core, &only);
    if (::sched_setaffinity(0, sizeof only, &only) != 0)
        throw std::runtime_error("sched_setaffinity to core " + std::to_string(core) + ": " +
                                 std::strerror(errno));
}

PinnedThread::~PinnedThread()
{
    ::sched_setaffinity(0, sizeof before_, &before_);
}

bool PinnedThread::mayUse(int cores)
{
    cpu_set_t allowed;
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return false;
    for (int core = 0; core < cores; ++core) {
        if (!CPU_ISSET(core, &allowed))
            return false;
    }
    return true;
}

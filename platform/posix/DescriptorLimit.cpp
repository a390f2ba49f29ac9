#include "platform/DescriptorLimit.h"

#include <sys/resource.h>

BOOL RaiseDescriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return FALSE;
    if (limit.rlim_cur == limit.rlim_max)
        return TRUE;
    limit.rlim_cur = limit.rlim_max;
    return setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

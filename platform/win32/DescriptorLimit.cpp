#include "platform/DescriptorLimit.h"

// Windows has no small per-process limit on handles to raise: a process may
// hold millions. The files are handles of the system, not streams of the C
// runtime, so its stream limit does not apply either.
BOOL RaiseDescriptorLimit()
{
    return TRUE;
}

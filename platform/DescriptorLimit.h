#pragma once
// Every transfer holds its file open until it ends or its lifetime runs out,
// so a burst of requests from a hostile network can hold many descriptors at
// once. The soft limit on open descriptors (often 1024) is raised to the hard
// limit, so such a burst does not starve the service of descriptors. Called
// once at start-up; FALSE when the limit could not be read or raised.
#include "platform/WinTypes.h"

BOOL RaiseDescriptorLimit();

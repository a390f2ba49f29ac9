#include "platform/FreeMemory.h"

#include <malloc.h>

// Freed blocks in the middle of the heap stay with the process otherwise;
// malloc_trim also hands back the whole free pages among them.
void ReturnFreeMemory()
{
    malloc_trim(0);
}

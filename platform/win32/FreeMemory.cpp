#include "platform/FreeMemory.h"

#include "platform/WinTypes.h"

// The C runtime allocates from the process heap; compacting it joins the free
// blocks and gives the whole free pages among them back to the system.
void ReturnFreeMemory()
{
    HeapCompact(GetProcessHeap(), 0);
}

#pragma once
// Gives the heap's free memory back to the system, after a burst of
// allocations that have all been freed again (a flood of requests let go).
void ReturnFreeMemory();

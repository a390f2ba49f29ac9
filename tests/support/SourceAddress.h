#pragma once
// Whether a datagram leaves from the source address that is given with it
// (IP_PKTINFO). Linux and Windows send from it; wine takes the address and
// drops it, so under wine a reply leaves from the address the system picks.
bool SendsFromGivenSource();

#pragma once
// The MTU of a network interface, so that no block the service sends is
// larger than one datagram through it carries whole.
// The MTU of the interface with this index, in bytes; 0 when unknown.
int InterfaceMtu(unsigned interfaceIndex);

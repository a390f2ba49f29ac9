#pragma once
// The socket stand-in's other end: the fuzz driver queues one datagram at a
// time for the next ReceiveFrom, and reads back what the service sent.
#include "platform/Endpoint.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct SentDatagram {
    std::string bytes;
    Endpoint to;
};

// The datagram ReceiveFrom hands out next, from source; taken by one call.
void QueueDatagram(const std::uint8_t* bytes, std::size_t length, const Endpoint& source);
// Called with every datagram the service sends.
using SendObserver = void (*)(const SentDatagram& sent);
void SetSendObserver(SendObserver observer);

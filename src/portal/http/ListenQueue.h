#pragma once

// The HTTP library listens with a queue of 5 connections waiting to be accepted, a number
// built into the distribution's shared library. Every request comes on a connection of
// its own, so a burst of fleets overflows so short a queue: the kernel drops the new
// connection, and the browser tries again only a second (then two) later. Listening
// again on the bound socket with a longer queue is what the kernel allows for this.
namespace ListenQueue {

inline constexpr int kLength = 512;

// Finds this process's listening TCP socket on the port and gives it a queue of `length`
// (the kernel caps it at net.core.somaxconn); false when no such socket was found.
bool lengthen(int port, int length = kLength);

} // namespace ListenQueue

// Waiting on a client's thread without making it deaf: what other programs send to the
// thread's windows is handled meanwhile (a broadcast sender waits for every top-level
// window's reply), and nothing posted is taken from its queue.
#pragma once

#include "win32.h"

#include <chrono>
#include <span>

namespace CustomPipes {

// Milliseconds left until deadline; 0 once it has passed.
DWORD MillisecondsUntil(std::chrono::steady_clock::time_point deadline) noexcept;

// Waits until one of objects is signalled or deadline passes, handling sent messages
// meanwhile. WaitForMultipleObjects's result: WAIT_OBJECT_0 + i, WAIT_ABANDONED_0 + i
// or WAIT_TIMEOUT (also WAIT_FAILED).
DWORD WaitHandlingSentMessages(std::span<const HANDLE> objects, std::chrono::steady_clock::time_point deadline) noexcept;

}  // namespace CustomPipes

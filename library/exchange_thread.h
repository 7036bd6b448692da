// The library's own thread: every exchange of the process runs there, on one
// ExchangeClient (its hidden top-level window and request block), whatever thread asks
// for it and whether or not that thread has a message loop.
#pragma once

#include "exchange.h"

#include <string>

namespace library {

// A search was made: the thread may be needed.
void SearchMade() noexcept;

// A search was freed. After the last one the thread ends, its window and block with
// it, before this returns; the next run starts a new one.
void SearchFreed() noexcept;

// Runs one exchange on the library's thread, starting the thread on first use, and
// waits for its end. Runs asked for by several threads are served one at a time.
// Raises CustomPipes::ProgramError when the thread cannot be started.
CustomPipes::ExchangeResult RunExchange(const std::wstring& request, DWORD timeoutMs);

}  // namespace library

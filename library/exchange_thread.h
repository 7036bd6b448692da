// The library's own thread: every exchange of the process runs there, on one
// ExchangeClient (its hidden top-level window and request block), whatever thread asks
// for it and whether or not that thread has a message loop. The asking thread waits
// for the run without going deaf, and never longer than the run's limits.
#pragma once

#include "exchange.h"
#include "win32.h"

#include <string>

namespace library {

// A search was made: the thread may be needed.
void SearchMade() noexcept;

// A search was freed. After the last one the thread is told to end, with its window
// and block, and waited for a short while; a thread that cannot end now (the caller
// holds the loader lock) or never started ends by itself later, holding the library
// loaded until it has.
void SearchFreed() noexcept;

// Runs one exchange on the library's thread, starting the thread on first use, and
// waits for its end while handling what is sent to the calling thread (on a
// single-threaded apartment, COM calls too). Runs asked for by several threads are
// served in turn, each within its own deadline: one still queued at its deadline is
// dropped unsent (3), one whose thread never started gives 4 (a run from DllMain).
CustomPipes::ExchangeResult RunExchange(const std::wstring& request, const CustomPipes::RunLimits& limits);

}  // namespace library

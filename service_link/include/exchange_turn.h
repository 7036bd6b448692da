// Our clients take turns for the whole exchange with Varnel: there is one answer block,
// "Varnel2", and its data-ready message goes to every top-level window, so two requests
// in flight at once could each be answered with the other's answer.
#pragma once

#include "handles.h"
#include "protocol.h"
#include "win32.h"

#include <chrono>
#include <span>

namespace CustomPipes {

// Held from writing the request until the answer is read or the client gives up. A turn
// left by a client that died is abandoned by the system and taken over at once.
class ExchangeTurn {
public:
    ExchangeTurn() noexcept = default;
    ExchangeTurn(ExchangeTurn&&) noexcept = default;
    ExchangeTurn& operator=(ExchangeTurn&& other) noexcept {
        if (this != &other) {
            Release();
            mutex_ = std::move(other.mutex_);
        }
        return *this;
    }
    ~ExchangeTurn() { Release(); }

    // Waits for the turn until deadline, or until one of giveUp is signalled, handling
    // sent messages meanwhile. An empty turn when another client kept it all that time.
    // Raises ProgramError when the turn's mutex cannot be made (another object has
    // taken its name).
    static ExchangeTurn Take(std::chrono::steady_clock::time_point deadline, std::span<const HANDLE> giveUp = {});

    explicit operator bool() const noexcept { return mutex_ != nullptr; }

    // Gives the turn to the next client. Must run on the thread that took it.
    void Release() noexcept;

private:
    UniqueHandle mutex_;
};

}  // namespace CustomPipes

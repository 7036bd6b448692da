#include "exchange_turn.h"

#include "program_error.h"
#include "system_error.h"
#include "waiting.h"

#include <vector>

namespace CustomPipes {

ExchangeTurn ExchangeTurn::Take(std::chrono::steady_clock::time_point deadline, std::span<const HANDLE> giveUp) {
    UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kExchangeTurnName));
    if (!mutex) {
        throw ProgramError(SystemErrorText(L"The clients' turn mutex \"" + std::wstring(kExchangeTurnName) +
                                               L"\" could not be made",
                                           ::GetLastError()));
    }
    std::vector<HANDLE> objects{mutex.get()};
    objects.insert(objects.end(), giveUp.begin(), giveUp.end());
    ExchangeTurn turn;
    switch (WaitHandlingSentMessages(objects, deadline)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED_0:  // its holder ended without giving it back
        turn.mutex_ = std::move(mutex);
        break;
    default:
        break;
    }
    return turn;
}

void ExchangeTurn::Release() noexcept {
    if (!mutex_) return;
    ::ReleaseMutex(mutex_.get());
    mutex_.reset();
}

}  // namespace CustomPipes

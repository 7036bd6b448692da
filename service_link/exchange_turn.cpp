#include "exchange_turn.h"

#include "program_error.h"
#include "system_error.h"

#include <chrono>

namespace CustomPipes {

namespace {

// Waits for object, meanwhile handling the messages other programs send to this
// thread's windows: a broadcast sender waits for every top-level window's reply.
DWORD WaitHandlingSentMessages(HANDLE object, DWORD waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const DWORD result = ::MsgWaitForMultipleObjects(1, &object, FALSE, left.count() > 0 ? static_cast<DWORD>(left.count()) : 0,
                                                         QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1) return result;
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

ExchangeTurn ExchangeTurn::Take(DWORD waitMs) {
    UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kExchangeTurnName));
    if (!mutex) {
        throw ProgramError(SystemErrorText(L"The clients' turn mutex \"" + std::wstring(kExchangeTurnName) +
                                               L"\" could not be made",
                                           ::GetLastError()));
    }
    ExchangeTurn turn;
    switch (WaitHandlingSentMessages(mutex.get(), waitMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its holder ended without giving it back
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

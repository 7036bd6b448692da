#include "waiting.h"

namespace CustomPipes {

DWORD MillisecondsUntil(std::chrono::steady_clock::time_point deadline) noexcept {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

DWORD WaitHandlingSentMessages(std::span<const HANDLE> objects, std::chrono::steady_clock::time_point deadline) noexcept {
    const auto count = static_cast<DWORD>(objects.size());
    for (;;) {
        const DWORD result = ::MsgWaitForMultipleObjects(count, objects.data(), FALSE, MillisecondsUntil(deadline), QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + count) return result;
        // Peeking delivers the sent messages; posted ones stay where they are.
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace CustomPipes

#include "exchange_thread.h"

#include "handles.h"
#include "program_error.h"
#include "system_error.h"
#include "wire_text.h"

#include <exception>
#include <mutex>
#include <optional>
#include <utility>

// The base address of this module, supplied by the linker (MinGW and MSVC alike).
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace library {

namespace {

// One thread with one ExchangeClient, made on that thread at its first run, so that
// the window and the block belong to it. Between runs the thread handles and drops
// what its window hears (answers meant for other clients, broadcasts), so that no
// sender ever waits on it.
class ExchangeThread {
public:
    // Raises CustomPipes::ProgramError when the thread cannot be started.
    ExchangeThread() {
        if (!wake_ || !done_) throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(L"The library's events could not be made", ::GetLastError()));
        // The thread keeps the library loaded until it has ended (FreeLibraryAndExitThread):
        // a host that unloads the library with a search still open leaves the library in
        // memory instead of pulling the code from under a running thread.
        if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&__ImageBase),
                                  &module_)) {
            throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(L"The library could not hold itself loaded", ::GetLastError()));
        }
        thread_.reset(::CreateThread(nullptr, 0, &Main, this, 0, nullptr));
        if (!thread_) {
            const DWORD error = ::GetLastError();
            ::FreeLibrary(module_);
            throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(L"The library's thread could not be started", error));
        }
    }

    // Ends the thread and waits until it is gone, with its window and block.
    ~ExchangeThread() {
        ending_ = true;
        ::SetEvent(wake_.get());
        ::WaitForSingleObject(thread_.get(), INFINITE);
    }

    ExchangeThread(const ExchangeThread&) = delete;
    ExchangeThread& operator=(const ExchangeThread&) = delete;

    // Hands one exchange to the thread and waits for its end. One caller at a time.
    CustomPipes::ExchangeResult Run(const std::wstring& request, DWORD timeoutMs) {
        request_ = &request;
        timeoutMs_ = timeoutMs;
        ::SetEvent(wake_.get());
        const HANDLE ends[] = {done_.get(), thread_.get()};
        if (::WaitForMultipleObjects(2, ends, FALSE, INFINITE) != WAIT_OBJECT_0) {
            throw CustomPipes::ProgramError(L"The library's thread ended before the exchange did");
        }
        return std::move(result_);
    }

private:
    static DWORD WINAPI Main(void* self) {
        const HMODULE module = static_cast<ExchangeThread*>(self)->module_;
        static_cast<ExchangeThread*>(self)->Serve();
        ::FreeLibraryAndExitThread(module, 0);
    }

    void Serve() noexcept {
        std::optional<CustomPipes::ExchangeClient> client;
        for (;;) {
            const HANDLE wake = wake_.get();
            const DWORD woke = ::MsgWaitForMultipleObjects(1, &wake, FALSE, INFINITE, QS_ALLINPUT);
            if (woke == WAIT_OBJECT_0) {
                if (ending_) break;
                RunJob(client);
                ::SetEvent(done_.get());
            } else if (woke == WAIT_OBJECT_0 + 1) {
                DispatchWaitingMessages();
            } else {
                break;  // the waiting caller sees the thread end
            }
        }
    }

    static void DispatchWaitingMessages() noexcept {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }

    void RunJob(std::optional<CustomPipes::ExchangeClient>& client) noexcept {
        result_ = {};
        try {
            try {
                if (!client) client.emplace();
                result_ = client->Run(*request_, timeoutMs_);
            } catch (const CustomPipes::ProgramError& e) {
                result_.reason = e.Text();
            } catch (const std::exception& e) {
                result_.reason = CustomPipes::wire::DecodeUtf8(e.what());
            }
        } catch (...) {
            result_.reason.clear();  // out of memory even for the reason
        }
    }

    CustomPipes::UniqueHandle wake_{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // a run, or the end, is asked for
    CustomPipes::UniqueHandle done_{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // the run's result is in result_
    HMODULE module_ = nullptr;
    CustomPipes::UniqueHandle thread_;
    bool ending_ = false;
    const std::wstring* request_ = nullptr;
    DWORD timeoutMs_ = 0;
    CustomPipes::ExchangeResult result_;
};

// Both mutexes are constant-initialised and need no destruction, so nothing of this
// runs while the library is loaded or unloaded.
std::mutex stateLock;  // guards the two below
int liveSearches = 0;
ExchangeThread* exchangeThread = nullptr;  // from the first run to the last search's free
std::mutex turn;                           // one run at a time in this process

}  // namespace

void SearchMade() noexcept {
    const std::lock_guard lock(stateLock);
    ++liveSearches;
}

void SearchFreed() noexcept {
    ExchangeThread* ending = nullptr;
    {
        const std::lock_guard lock(stateLock);
        if (liveSearches > 0 && --liveSearches == 0) ending = std::exchange(exchangeThread, nullptr);
    }
    delete ending;
}

CustomPipes::ExchangeResult RunExchange(const std::wstring& request, DWORD timeoutMs) {
    const std::lock_guard runs(turn);
    ExchangeThread* thread = nullptr;
    {
        const std::lock_guard lock(stateLock);
        if (!exchangeThread) exchangeThread = new ExchangeThread();
        thread = exchangeThread;
    }
    return thread->Run(request, timeoutMs);
}

}  // namespace library

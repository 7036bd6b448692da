#include "exchange_thread.h"

#include "handles.h"
#include "library_module.h"
#include "program_error.h"
#include "search_options.h"
#include "server_start.h"
#include "srw_lock.h"
#include "system_error.h"
#include "waiting.h"

#include <objbase.h>

#include <chrono>
#include <cwchar>
#include <deque>
#include <exception>
#include <iterator>
#include <memory>
#include <utility>

namespace library {

namespace {

using Clock = std::chrono::steady_clock;
using CustomPipes::ExchangeOutcome;
using CustomPipes::ExchangeResult;
using CustomPipes::SecondsText;
using CustomPipes::UniqueHandle;

// How long the last free waits for the thread to leave its loop, and then for it to be
// gone with its window.
constexpr DWORD kEndWaitMs = 5000;
constexpr DWORD kExitWaitMs = 500;
// How long past its deadline a run that the thread has begun is waited for: a start of
// Varnel adds up to kServerStartWaitMs, and the rest is slack.
constexpr auto kRunOverrun = std::chrono::milliseconds(CustomPipes::kServerStartWaitMs + 2000);

UniqueHandle NewEvent(bool manualReset) {
    UniqueHandle event(::CreateEventW(nullptr, manualReset, FALSE, nullptr));
    if (!event) throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(L"The library's events could not be made", ::GetLastError()));
    return event;
}

// The calling thread, as an object that is signalled when it ends.
UniqueHandle CurrentThread() {
    HANDLE thread = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &thread, SYNCHRONIZE,
                           FALSE, 0)) {
        throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(L"The calling thread could not be watched", ::GetLastError()));
    }
    return UniqueHandle(thread);
}

// Guards every field marked so below. An SRWLOCK: nothing to make, nothing to leave.
SRWLOCK lock = SRWLOCK_INIT;

// One run handed to the thread; the caller and the thread share it, so that either may
// leave first.
struct Job {
    enum class Stage { Queued, Running, Done, Dropped };

    Job(std::wstring text, const CustomPipes::RunLimits& runLimits)
        : request(std::move(text)), limits(runLimits), caller(CurrentThread()), settled(NewEvent(true)) {
        // The run gives up when its caller has ended (a host may terminate its threads)
        // or has stopped waiting.
        limits.giveUp = {caller.get(), settled.get()};
    }

    const std::wstring request;
    CustomPipes::RunLimits limits;
    const UniqueHandle caller;
    // Set by the thread once the run is done, or by the caller once it stops waiting;
    // stage says which. One event for both: a run costs the fewest calls to the system.
    const UniqueHandle settled;
    Stage stage = Stage::Queued;  // guarded by lock
    ExchangeResult result;        // the thread's until the stage is Done
};

// The thread and its queue, shared by the library and the thread itself: a free that
// does not wait for the thread's end leaves it what it still uses.
struct Worker {
    UniqueHandle wake = NewEvent(false);  // a run, or the end, is asked for
    UniqueHandle finished = NewEvent(true);  // the thread has served its last run and is leaving
    UniqueHandle thread;
    std::deque<std::shared_ptr<Job>> queue;  // guarded by lock
    bool started = false;                    // guarded by lock
    bool ending = false;                     // guarded by lock
};

int liveSearches = 0;            // guarded by lock
std::shared_ptr<Worker> worker;  // guarded by lock; from the first run to the last search's free

// A window that answered nothing may still be named by a late answer: it is given up
// and a new one made before the old goes, so that the two can never share a handle value.
void Renew(std::unique_ptr<CustomPipes::ExchangeClient>& client) noexcept {
    try {
        client = std::make_unique<CustomPipes::ExchangeClient>();
    } catch (...) {
        client.reset();  // the next run tries again
    }
}

void RunJob(Job& job, std::unique_ptr<CustomPipes::ExchangeClient>& client) noexcept {
    try {
        try {
            // The window may be gone: destroyed by code that runs on this thread.
            if (!client || !client->HasWindow()) client = std::make_unique<CustomPipes::ExchangeClient>();
            job.result = client->Run(job.request, job.limits);
            if (job.result.outcome != ExchangeOutcome::Answered && job.result.announced) Renew(client);
        } catch (const std::exception& e) {
            job.result = {ExchangeOutcome::Failed, {}, CustomPipes::ExceptionText(e)};
        }
    } catch (...) {
        job.result = {};  // out of memory even for the reason
    }
}

// The next run that its caller still waits for, now running; null when there is none.
std::shared_ptr<Job> NextJob(Worker& self) {
    const CustomPipes::ExclusiveLock guard(lock);
    while (!self.queue.empty()) {
        std::shared_ptr<Job> job = std::move(self.queue.front());
        self.queue.pop_front();
        if (job->stage == Job::Stage::Queued) {
            job->stage = Job::Stage::Running;
            return job;
        }
    }
    return nullptr;
}

bool Ending(Worker& self) {
    const CustomPipes::ExclusiveLock guard(lock);
    return self.ending;
}

// Between runs the thread handles and drops what its window hears (answers meant for
// other clients, broadcasts), so that no sender ever waits on it.
void Serve(Worker& self, std::unique_ptr<CustomPipes::ExchangeClient>& client) {
    while (!Ending(self)) {
        if (const std::shared_ptr<Job> job = NextJob(self)) {
            RunJob(*job, client);
            {
                const CustomPipes::ExclusiveLock guard(lock);
                job->stage = Job::Stage::Done;
            }
            ::SetEvent(job->settled.get());
            continue;
        }
        const HANDLE wake = self.wake.get();
        if (::MsgWaitForMultipleObjects(1, &wake, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        }
    }
}

// What the thread is started with: its share of the worker, and a reference to the
// library taken by its creator, so that the library stays loaded even while a thread
// that cannot start yet (the loader lock is held) waits to run its first instruction.
struct ThreadStart {
    std::shared_ptr<Worker> worker;
    HMODULE module;
};

// The thread leaves through FreeLibraryAndExitThread, whose code is the system's: no
// instruction of the library runs once the thread's reference is given back.
DWORD WINAPI ThreadMain(void* parameter) {
    HMODULE module = nullptr;
    {
        const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
        module = start->module;
        Worker& self = *start->worker;
        {
            const CustomPipes::ExclusiveLock guard(lock);
            self.started = true;
        }
        std::unique_ptr<CustomPipes::ExchangeClient> client;
        Serve(self, client);
        // Told before the window is put away: under Wine that takes the loader lock,
        // which a free from DllMain holds while it waits.
        ::SetEvent(self.finished.get());
        client.reset();
    }
    ::FreeLibraryAndExitThread(module, 0);
}

std::shared_ptr<Worker> StartWorker() {
    auto started = std::make_shared<Worker>();
    auto start = std::make_unique<ThreadStart>(ThreadStart{started, HoldLibrary()});
    if (!start->module) {
        throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(L"The library could not hold itself loaded", ::GetLastError()));
    }
    started->thread.reset(::CreateThread(nullptr, 0, &ThreadMain, start.get(), 0, nullptr));
    if (!started->thread) {
        const DWORD error = ::GetLastError();
        ::FreeLibrary(start->module);  // the caller's search still holds the library
        throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(L"The library's thread could not be started", error));
    }
    start.release();  // the thread's now
    return started;
}

// Waits until one of objects is signalled or deadline passes, as a host's thread must:
// on a single-threaded apartment COM's own wait serves incoming calls and what is sent
// to the thread's windows; elsewhere sent messages are handled. Posted messages (input)
// stay queued either way, so the host is not re-entered.
DWORD WaitAsHost(std::span<const HANDLE> objects, Clock::time_point deadline) noexcept {
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    if (::CoGetApartmentType(&type, &qualifier) == S_OK && (type == APTTYPE_STA || type == APTTYPE_MAINSTA)) {
        DWORD index = 0;
        const HRESULT result = ::CoWaitForMultipleHandles(0, CustomPipes::MillisecondsUntil(deadline), static_cast<ULONG>(objects.size()),
                                                          const_cast<HANDLE*>(objects.data()), &index);
        if (result == S_OK) return WAIT_OBJECT_0 + index;
        if (result == RPC_S_CALLPENDING) return WAIT_TIMEOUT;
        // COM refuses its wait here (inside an input-synchronous call, say): the plain one.
    }
    return CustomPipes::WaitHandlingSentMessages(objects, deadline);
}

ExchangeResult Failure(ExchangeOutcome outcome, std::wstring reason) { return {outcome, {}, std::move(reason)}; }

}  // namespace

void SearchMade() noexcept {
    const CustomPipes::ExclusiveLock guard(lock);
    ++liveSearches;
}

void SearchFreed() noexcept {
    std::shared_ptr<Worker> ending;
    bool started = false;
    {
        const CustomPipes::ExclusiveLock guard(lock);
        if (liveSearches > 0 && --liveSearches == 0) ending = std::move(worker);
        if (!ending) return;
        ending->ending = true;
        started = ending->started;
    }
    ::SetEvent(ending->wake.get());
    // A thread that never started (the loader lock held since its creation) ends by
    // itself once it can. One that did leaves its loop at once (or when a run that
    // nobody waits for has given up), then puts its window away and ends: those steps
    // need the loader lock, so a free from DllMain gives them a moment only, and the
    // thread finishes once the lock is free. At process exit the thread is gone
    // already, and its handle says so.
    if (!started) return;
    const HANDLE ends[] = {ending->finished.get(), ending->thread.get()};
    if (::WaitForMultipleObjects(2, ends, FALSE, kEndWaitMs) == WAIT_OBJECT_0) {
        ::WaitForSingleObject(ending->thread.get(), kExitWaitMs);
    }
}

ExchangeResult RunExchange(const std::wstring& request, const CustomPipes::RunLimits& limits) {
    std::shared_ptr<Job> job;
    std::shared_ptr<Worker> serving;
    try {
        job = std::make_shared<Job>(request, limits);
        const CustomPipes::ExclusiveLock guard(lock);
        if (!worker) worker = StartWorker();
        serving = worker;
        serving->queue.push_back(job);
    } catch (const CustomPipes::ProgramError& e) {
        return Failure(ExchangeOutcome::Failed, e.Text());
    }
    ::SetEvent(serving->wake.get());

    const HANDLE ends[] = {job->settled.get(), serving->thread.get()};
    Clock::time_point waitUntil = limits.deadline;
    for (;;) {
        const DWORD woke = WaitAsHost(ends, waitUntil);
        if (woke == WAIT_OBJECT_0) return std::move(job->result);
        if (woke == WAIT_OBJECT_0 + 1) return Failure(ExchangeOutcome::Failed, L"the library's thread ended before the exchange did");
        const CustomPipes::ExclusiveLock guard(lock);
        if (job->stage == Job::Stage::Done) return std::move(job->result);
        if (job->stage == Job::Stage::Running && waitUntil == limits.deadline) {
            waitUntil = limits.deadline + kRunOverrun;  // the thread keeps to the deadline itself
            continue;
        }
        // Dropped before it was sent, or over its time: its answer, if one comes, is nobody's.
        const bool sent = job->stage == Job::Stage::Running;
        job->stage = Job::Stage::Dropped;
        ::SetEvent(job->settled.get());
        if (sent) return Failure(ExchangeOutcome::Failed, L"the library's thread did not end the run in time");
        if (!serving->started) {
            return Failure(ExchangeOutcome::Failed,
                           L"the library's thread did not start within " + SecondsText(limits.timeoutMs / 1000.0) +
                               L" seconds (a run from DllMain, while the system's loader lock is held, cannot start it); "
                               L"nothing was sent");
        }
        return Failure(ExchangeOutcome::NoAnswer, L"another search of this program kept the library busy for the whole " +
                                                      SecondsText(limits.timeoutMs / 1000.0) + L" seconds; nothing was sent");
    }
}

}  // namespace library

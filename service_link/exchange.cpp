#include "exchange.h"

#include "answer_reading.h"
#include "exchange_turn.h"
#include "hidden_window.h"
#include "program_error.h"
#include "search_options.h"
#include "protocol.h"
#include "request_block.h"
#include "server_start.h"
#include "service_catalogue.h"
#include "waiting.h"

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <iterator>
#include <optional>
#include <vector>

namespace CustomPipes {

namespace {

using Clock = std::chrono::steady_clock;

ExchangeResult Outcome(ExchangeOutcome outcome, std::wstring reason, bool announced = false) {
    return {outcome, {}, std::move(reason), announced};
}

// The answer read out of Varnel's block. One with no NUL in all of the block may have
// been cut (an answer that did not fit, or another program's bytes): a failure, whose
// text is kept for whoever looks into it.
ExchangeResult AnswerOutcome(std::wstring answer) {
    const ServiceEntry& varnel = CatalogueEntry(Service::Varnel);
    if (answer.size() < varnel.answerBlockSize / sizeof(wchar_t)) return {ExchangeOutcome::Answered, std::move(answer), {}, true};
    return {ExchangeOutcome::Failed, std::move(answer),
            L"Varnel's answer fills its whole answer block \"" + std::wstring(varnel.answerBlockName) + L"\" (" +
                std::to_wstring(varnel.answerBlockSize) + L" bytes) with no NUL to end it, so it may be cut",
            true};
}

constexpr const wchar_t* kWindowClass = L"VarnelExchangeClient";

// The hidden window is the client's name on the wire: it must not end because a tool
// that closes windows (taskkill without /f, say) sent it WM_CLOSE.
LRESULT CALLBACK ExchangeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_CLOSE) return 0;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A hidden window and the request block named after it. A block of that name made first
// by another program is not used: another window gets another name. The last block
// that failed keeps its reason, which the run reports.
void MakeWindowAndBlock(HWND& window, RequestBlock& block) {
    constexpr int kAttempts = 4;
    for (int attempt = 1;; ++attempt) {
        window = CreateHiddenTopLevelWindow(kWindowClass, &ExchangeWindowProc);
        block = RequestBlock::CreateFor(window);
        if (!block.TakenByAnother() || attempt == kAttempts) return;
        ::DestroyWindow(window);
    }
}

// The process of Varnel's window server, to learn when it ends; null when there is no
// window or it may not be watched.
UniqueHandle OpenProcessOf(HWND server) {
    DWORD id = 0;
    if (!server || !::GetWindowThreadProcessId(server, &id)) return {};
    return UniqueHandle(::OpenProcess(SYNCHRONIZE, FALSE, id));
}

// Whether message is the data-ready notice that answers a request announced at tick
// announcedAt by the client of window. A broadcast reaches a thread once for each of
// its top-level windows (an IME window as well as ours): only the copy addressed to our
// window counts, so that one notice is one notice. One posted before the request was
// announced (a late answer, or a copy, of an earlier request) is not its answer.
bool AnswersRequest(const MSG& message, HWND window, DWORD announcedAt) noexcept {
    return message.message == ServiceMessage(Service::Varnel, MessageKind::DataReady) && message.hwnd == window &&
           IsAnswerFor(message.lParam, WindowHandleValue(window)) && static_cast<LONG>(message.time - announcedAt) >= 0;
}

}  // namespace

struct ExchangeClient::State {
    HWND window{};
    RequestBlock block;
    // Varnel's window and its process, kept from run to run while the window stays.
    HWND server{};
    UniqueHandle serverProcess;

    void Watch(HWND found) {
        if (found != server || !serverProcess) {
            server = found;
            serverProcess = OpenProcessOf(found);
        }
    }
};

ExchangeClient::ExchangeClient() : state_(std::make_unique<State>()) {
    RegisterServiceMessages();
    MakeWindowAndBlock(state_->window, state_->block);
    AcceptFromAnyProcess(state_->window, ServiceMessage(Service::Varnel, MessageKind::DataReady));
}

ExchangeClient::~ExchangeClient() {
    if (HasWindow()) ::DestroyWindow(state_->window);
    // A DLL's window classes outlive its unloading unless it unregisters them: a class
    // left behind would name the old code's window procedure. Refused, harmlessly,
    // while another client of this module still has a window of the class.
    ::UnregisterClassW(kWindowClass, ThisModule());
}

HWND ExchangeClient::Window() const noexcept { return state_->window; }

bool ExchangeClient::HasWindow() const noexcept { return state_->window && ::IsWindow(state_->window); }

ExchangeResult ExchangeClient::Run(const std::wstring& request, const RunLimits& limits, const StartingNotice& starting) {
    try {
        RequestBlock::CheckFits(request);
    } catch (const ProgramError& e) {
        return Outcome(ExchangeOutcome::Refused, e.Text());
    }
    try {
        const ExchangeTurn turn = ExchangeTurn::Take(limits.deadline, limits.giveUp);
        if (!turn) {
            return Outcome(ExchangeOutcome::NoAnswer, L"another client program kept Varnel busy for the whole " +
                                                          SecondsText(limits.timeoutMs / 1000.0) + L" seconds; nothing was sent");
        }
        // What waits in the queue came before this request: a late answer, or a copy of
        // an answer, to an earlier one.
        const UINT dataReady = ServiceMessage(Service::Varnel, MessageKind::DataReady);
        MSG stale;
        while (::PeekMessageW(&stale, nullptr, dataReady, dataReady, PM_REMOVE)) {
        }

        state_->block.Write(request);
        auto deadline = limits.deadline;
        std::optional<Clock::time_point> startedAt;
        DWORD announcedAt = 0;
        ServerStartOptions start;
        start.wait = StartWait::UntilReady;
        start.maxWaitMs = std::min(kServerStartWaitMs, MillisecondsUntil(deadline));
        start.inServerFolder = true;
        start.refuseStartWhenElevated = true;
        start.starting = [&](const std::wstring& path) {
            startedAt = Clock::now();
            if (starting) starting(path);
        };
        // Taken before the post: a notice posted earlier cannot be its answer, and a
        // Varnel that ends once it has the request is still there to be watched.
        start.announcing = [&](HWND server) {
            state_->Watch(server ? server : ::FindWindowW(kVarnelWindowClass, nullptr));
            announcedAt = ::GetTickCount();
        };
        std::wstring missing;
        start.notInstalled = [&](const std::wstring& reason) { missing = reason; };
        if (!EnsureServerAndNotify(state_->window, kWindowRequestCode, start)) {
            return Outcome(ExchangeOutcome::NotInstalled,
                           L"Varnel is neither running nor installed: " + missing + L"; nothing was sent");
        }
        // Starting Varnel may take its own time on top of the timeout.
        if (startedAt) deadline += Clock::now() - *startedAt;

        std::vector<HANDLE> ends = limits.giveUp;
        if (state_->serverProcess) ends.push_back(state_->serverProcess.get());
        bool serverEnded = false;
        for (;;) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (AnswersRequest(message, state_->window, announcedAt)) {
                    std::optional<std::wstring> answer = ReadAnswer(dataReady);
                    if (!answer) {
                        return Outcome(ExchangeOutcome::Failed,
                                       L"Varnel announced an answer, but its answer block \"" +
                                           std::wstring(CatalogueEntry(Service::Varnel).answerBlockName) +
                                           L"\" cannot be read",
                                       true);
                    }
                    return AnswerOutcome(std::move(*answer));
                }
                // Other clients' answers and stale ones are none of this exchange's business.
                if (message.message != dataReady) ::DispatchMessageW(&message);
            }
            // Its answer may have been queued just before it ended: the queue was read first.
            if (serverEnded) return Outcome(ExchangeOutcome::Failed, L"Varnel ended before it answered", true);
            const DWORD left = MillisecondsUntil(deadline);
            if (left == 0) {
                return Outcome(ExchangeOutcome::NoAnswer,
                               L"no answer from Varnel within " + SecondsText(limits.timeoutMs / 1000.0) + L" seconds", true);
            }
            const DWORD woke = ::MsgWaitForMultipleObjects(static_cast<DWORD>(ends.size()), ends.data(), FALSE, left, QS_ALLINPUT);
            if (woke < WAIT_OBJECT_0 + limits.giveUp.size()) {
                return Outcome(ExchangeOutcome::Failed, L"nobody waits for this run any more", true);
            }
            if (woke < WAIT_OBJECT_0 + ends.size()) serverEnded = true;
        }
    } catch (const ProgramError& e) {
        return Outcome(ExchangeOutcome::Failed, e.Text());
    }
}

}  // namespace CustomPipes

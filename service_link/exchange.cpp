#include "exchange.h"

#include "answer_reading.h"
#include "exchange_turn.h"
#include "hidden_window.h"
#include "program_error.h"
#include "request_block.h"
#include "server_start.h"

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <iterator>

namespace CustomPipes {

namespace {

using Clock = std::chrono::steady_clock;

std::wstring SecondsText(DWORD milliseconds) {
    wchar_t text[32];
    std::swprintf(text, std::size(text), L"%g", milliseconds / 1000.0);
    return text;
}

DWORD MillisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

ExchangeResult Outcome(ExchangeOutcome outcome, std::wstring reason) { return {outcome, {}, std::move(reason)}; }

// The answer read out of Varnel's block. One with no NUL in all of the block may have
// been cut (an answer that did not fit, or another program's bytes): a failure, whose
// text is kept for whoever looks into it.
ExchangeResult AnswerOutcome(std::wstring answer) {
    const ServiceEntry& varnel = CatalogueEntry(Service::Varnel);
    if (answer.size() < varnel.answerBlockSize / sizeof(wchar_t)) return {ExchangeOutcome::Answered, std::move(answer), {}};
    return {ExchangeOutcome::Failed, std::move(answer),
            L"Varnel's answer fills its whole answer block \"" + std::wstring(varnel.answerBlockName) + L"\" (" +
                std::to_wstring(varnel.answerBlockSize) + L" bytes) with no NUL to end it, so it may be cut"};
}

constexpr const wchar_t* kWindowClass = L"VarnelExchangeClient";

// A hidden window and the request block named after it. A block of that name made first
// by another program is not used: another window gets another name. The last block
// that failed keeps its reason, which the run reports.
void MakeWindowAndBlock(HWND& window, RequestBlock& block) {
    constexpr int kAttempts = 4;
    for (int attempt = 1;; ++attempt) {
        window = CreateHiddenTopLevelWindow(kWindowClass);
        block = RequestBlock::CreateFor(window);
        if (!block.TakenByAnother() || attempt == kAttempts) return;
        // Given up at once: its end is no reason for the thread's loop to quit.
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
        ::DestroyWindow(window);
    }
}

}  // namespace

struct ExchangeClient::State {
    HWND window{};
    RequestBlock block;
};

ExchangeClient::ExchangeClient() : state_(std::make_unique<State>()) {
    RegisterServiceMessages();
    MakeWindowAndBlock(state_->window, state_->block);
    AcceptFromAnyProcess(state_->window, ServiceMessage(Service::Varnel, MessageKind::DataReady));
}

ExchangeClient::~ExchangeClient() {
    if (state_->window) ::DestroyWindow(state_->window);
    // A DLL's window classes outlive its unloading unless it unregisters them: a class
    // left behind would name the old code's window procedure. Refused, harmlessly,
    // while another client of this module still has a window of the class.
    ::UnregisterClassW(kWindowClass, ThisModule());
}

HWND ExchangeClient::Window() const noexcept { return state_->window; }

ExchangeResult ExchangeClient::Run(const std::wstring& request, DWORD timeoutMs, const StartingNotice& starting) {
    try {
        RequestBlock::CheckFits(request);
    } catch (const ProgramError& e) {
        return Outcome(ExchangeOutcome::Refused, e.Text());
    }
    try {
        const ExchangeTurn turn = ExchangeTurn::Take(timeoutMs);
        if (!turn) {
            return Outcome(ExchangeOutcome::NoAnswer, L"another client program kept Varnel busy for the whole " +
                                                          SecondsText(timeoutMs) + L" seconds; nothing was sent");
        }
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);

        // A late answer to an earlier run of this client may still be queued: it is not
        // the answer to this request.
        const UINT dataReady = ServiceMessage(Service::Varnel, MessageKind::DataReady);
        MSG stale;
        while (::PeekMessageW(&stale, nullptr, dataReady, dataReady, PM_REMOVE)) {
        }

        state_->block.Write(request);
        ServerStartOptions start;
        start.wait = StartWait::UntilReady;
        start.maxWaitMs = std::min(kServerStartWaitMs, timeoutMs);
        start.inServerFolder = true;
        start.refuseStartWhenElevated = true;
        start.starting = starting;
        if (!EnsureServerAndNotify(state_->window, kWindowRequestCode, start)) {
            return Outcome(ExchangeOutcome::NotInstalled,
                           L"Varnel is neither running nor installed: " + DescribeMissingServer() + L"; nothing was sent");
        }
        return WaitForAnswer(deadline, timeoutMs);
    } catch (const ProgramError& e) {
        return Outcome(ExchangeOutcome::Failed, e.Text());
    }
}

ExchangeResult ExchangeClient::WaitForAnswer(std::chrono::steady_clock::time_point deadline, DWORD timeoutMs) {
    const UINT dataReady = ServiceMessage(Service::Varnel, MessageKind::DataReady);
    const uint32_t self = WindowHandleValue(state_->window);
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == dataReady && IsAnswerFor(message.lParam, self)) {
                std::optional<std::wstring> answer = ReadAnswer(dataReady);
                if (!answer) {
                    return Outcome(ExchangeOutcome::Failed,
                                   L"Varnel announced an answer, but its answer block \"" +
                                       std::wstring(CatalogueEntry(Service::Varnel).answerBlockName) +
                                       L"\" cannot be read");
                }
                return AnswerOutcome(std::move(*answer));
            }
            // Another client's answer, and everything else, is none of this exchange's business.
            if (message.message != dataReady) ::DispatchMessageW(&message);
        }
        const DWORD left = MillisecondsUntil(deadline);
        if (left == 0) {
            return Outcome(ExchangeOutcome::NoAnswer, L"no answer from Varnel within " + SecondsText(timeoutMs) +
                                                          L" seconds");
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
    }
}

}  // namespace CustomPipes

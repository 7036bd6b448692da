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

constexpr const wchar_t* kWindowClass = L"VarnelExchangeClient";

}  // namespace

struct ExchangeClient::State {
    HWND window{};
    RequestBlock block;
};

ExchangeClient::ExchangeClient() : state_(std::make_unique<State>()) {
    RegisterServiceMessages();
    state_->window = CreateHiddenTopLevelWindow(kWindowClass);
    AcceptFromAnyProcess(state_->window, ServiceMessage(Service::Varnel, MessageKind::DataReady));
    state_->block = RequestBlock::CreateFor(state_->window);
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
                return {ExchangeOutcome::Answered, std::move(*answer), {}};
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

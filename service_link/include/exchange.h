// One whole request-to-answer exchange with Varnel, as a program without a window of
// its own runs it (varnel-query, varnel.dll): a hidden top-level window and its request
// block, a turn among our clients, Varnel started or found, the request announced, and
// the answer meant for this client waited for.
#pragma once

#include "win32.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace CustomPipes {

// How an exchange ended. The values are varnel-query's exit codes and varnel.dll's
// result codes.
enum class ExchangeOutcome : int {
    Answered = 0,      // the answer is in ExchangeResult::answer
    NotInstalled = 1,  // Varnel is neither running nor installed; nothing was sent
    Refused = 2,       // the request was refused before anything was sent
    NoAnswer = 3,      // no answer within the timeout, or no turn within it (nothing was sent)
    Failed = 4,        // anything else; reason says what
};

struct ExchangeResult {
    ExchangeOutcome outcome = ExchangeOutcome::Failed;
    // The answer block's wire text up to its NUL (decode with wire::DecodeLines). Also
    // with Failed when the text fills the whole block with no NUL: it may be cut.
    std::wstring answer;
    std::wstring reason;  // for every outcome but Answered: one or more sentences, no program name
    bool announced = false;  // the request was posted: a late answer to it may still come
};

// What the exchange tells its caller while it runs: the path of Varnel just before it
// is started.
using StartingNotice = std::function<void(const std::wstring& path)>;

// The bounds of one run. Everything the run waits for (the turn, Varnel's window, the
// answer) is waited for before deadline; a start of Varnel moves the deadline on by
// the time the start took (at most kServerStartWaitMs).
struct RunLimits {
    std::chrono::steady_clock::time_point deadline;
    DWORD timeoutMs = 0;  // what deadline was set from, for the reasons
    // Objects whose signal means nobody waits for the run any more (the thread that
    // asked for it has ended, say): the run gives up at once.
    std::vector<HANDLE> giveUp;

    static RunLimits From(DWORD timeoutMs) {
        return {std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs), timeoutMs, {}};
    }
};

// A client of Varnel without a visible window. Its hidden top-level window and request
// block belong to the thread that makes it: Run must be called on that thread, which
// needs no message loop of its own (Run pumps while it waits). WM_CLOSE does not end the
// window.
class ExchangeClient {
public:
    // Raises ProgramError when the window or the request block cannot be made.
    ExchangeClient();
    ~ExchangeClient();
    ExchangeClient(const ExchangeClient&) = delete;
    ExchangeClient& operator=(const ExchangeClient&) = delete;

    // Sends request (wire text ending with its NUL, as BuildSearchRequest makes it) and
    // waits for the answer meant for this client within limits. Varnel is started when
    // it is installed but not running, and the request is posted as soon as its window
    // exists and it is idle for input.
    //
    // After a run that announced its request and ended without its answer, the client
    // must not run again: a late answer would name its window. Make a new one.
    ExchangeResult Run(const std::wstring& request, const RunLimits& limits, const StartingNotice& starting = {});

    HWND Window() const noexcept;

    // False once the window is gone (destroyed on this thread by someone else's code).
    bool HasWindow() const noexcept;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace CustomPipes

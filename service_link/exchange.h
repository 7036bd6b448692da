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

namespace CustomPipes {

// How an exchange ended. The values are varnel-query's exit codes and varnel.dll's
// result codes.
enum class ExchangeOutcome : int {
    Answered = 0,      // the answer is in ExchangeResult::answer
    NotInstalled = 1,  // Varnel is neither running nor installed; nothing was sent
    Refused = 2,       // the request was refused before anything was sent
    NoAnswer = 3,      // no answer within the timeout
    Failed = 4,        // anything else; reason says what
};

struct ExchangeResult {
    ExchangeOutcome outcome = ExchangeOutcome::Failed;
    // The answer block's wire text up to its NUL (decode with wire::DecodeLines). Also
    // with Failed when the text fills the whole block with no NUL: it may be cut.
    std::wstring answer;
    std::wstring reason;  // for every outcome but Answered: one or more sentences, no program name
};

// What the exchange tells its caller while it runs: the path of Varnel just before it
// is started.
using StartingNotice = std::function<void(const std::wstring& path)>;

// A client of Varnel without a visible window. Its hidden top-level window and request
// block belong to the thread that makes it: Run must be called on that thread, which
// needs no message loop of its own (Run pumps while it waits).
class ExchangeClient {
public:
    // Raises ProgramError when the window or the request block cannot be made.
    ExchangeClient();
    ~ExchangeClient();
    ExchangeClient(const ExchangeClient&) = delete;
    ExchangeClient& operator=(const ExchangeClient&) = delete;

    // Sends request (wire text ending with its NUL, as BuildSearchRequest makes it) and
    // waits for the answer meant for this client, at most timeoutMs from the moment the
    // turn was taken. Varnel is started when it is installed but not running, and the
    // request is posted as soon as its window exists and it is idle for input.
    ExchangeResult Run(const std::wstring& request, DWORD timeoutMs, const StartingNotice& starting = {});

    HWND Window() const noexcept;

private:
    ExchangeResult WaitForAnswer(std::chrono::steady_clock::time_point deadline, DWORD timeoutMs);

    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace CustomPipes

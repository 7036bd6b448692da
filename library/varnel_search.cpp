#include "varnel_search.h"

#include "exchange_thread.h"
#include "program_error.h"
#include "request_block.h"
#include "search_options.h"
#include "wire_document.h"
#include "wire_text.h"

namespace {

constexpr const wchar_t* kRunningAlready =
    L"this search is running already (a call made while it waits); one search serves one call at a time";

constexpr unsigned kMaxTimeoutMs = CustomPipes::kMaxTimeoutSeconds * 1000u;

// A prepared request: checked as a built one is, then in wire form with its NUL.
std::wstring PreparedRequest(std::wstring document) {
    // A document given as text may begin with a byte-order mark; a request never does.
    if (document.starts_with(L'\xFEFF')) document.erase(0, 1);
    if (const auto lone = CustomPipes::wire::FindLoneSurrogate(document)) {
        throw CustomPipes::ProgramError(L"the request holds a lone surrogate at character " + std::to_wstring(*lone + 1) +
                           L", which no encoding carries");
    }
    return CustomPipes::wire::PreparedRequestWireText(CustomPipes::wire::ToUtf8(document));
}

}  // namespace

VarnelSearch::VarnelSearch() { library::SearchMade(); }

VarnelSearch::~VarnelSearch() { library::SearchFreed(); }

void VarnelSearch::Set(const std::wstring& option, const std::wstring& value) {
    if (running_) throw CustomPipes::ProgramError(kRunningAlready);
    if (option == L"request") {
        CustomPipes::CheckPreparedRequestAlone(!value.empty(), fieldsGiven_, L"request");
        if (value.empty()) {
            prepared_.reset();
        } else {
            prepared_ = value;
        }
        return;
    }
    CustomPipes::CheckPreparedRequestAlone(prepared_.has_value(), CustomPipes::IsSearchOption(option), L"request");
    CustomPipes::SearchRequest search = search_;
    CustomPipes::SetSearchOption(search, option, value, L"");
    search_ = std::move(search);
    fieldsGiven_ = true;
}

std::wstring VarnelSearch::BuildRequest() const {
    std::wstring wire = prepared_ ? PreparedRequest(*prepared_) : CustomPipes::BuildSearchRequest(search_);
    CustomPipes::RequestBlock::CheckFits(wire);
    return wire;
}

int VarnelSearch::Run(unsigned timeoutMs) {
    // The deadline counts from the call: waiting for the library's thread and for the
    // other runs of the process is part of the run.
    const CustomPipes::RunLimits limits = CustomPipes::RunLimits::From(timeoutMs);
    if (running_) {
        // Called again while it waits: a COM call that the waiting thread served, say.
        error = kRunningAlready;
        return static_cast<int>(CustomPipes::ExchangeOutcome::Refused);
    }
    answer.clear();
    request.clear();
    error.clear();
    if (timeoutMs == 0 || timeoutMs > kMaxTimeoutMs) {
        error = L"the timeout takes milliseconds above 0 and at most " + std::to_wstring(kMaxTimeoutMs) + L", not " +
                std::to_wstring(timeoutMs);
        return static_cast<int>(CustomPipes::ExchangeOutcome::Refused);
    }
    // Refused before anything else is looked at: no thread, window or block for it.
    std::wstring wire;
    try {
        wire = BuildRequest();
    } catch (const CustomPipes::ProgramError& e) {
        error = CustomPipes::wire::OneLine(e.Text());
        return static_cast<int>(CustomPipes::ExchangeOutcome::Refused);
    }
    request = CustomPipes::wire::DecodeLinesJoined(CustomPipes::wire::TextUpToNul(wire.data(), wire.size() * sizeof(wchar_t)));

    running_ = true;
    CustomPipes::ExchangeResult result;
    try {
        result = library::RunExchange(wire, limits);
    } catch (...) {
        running_ = false;
        throw;
    }
    running_ = false;
    // A failed run may bring a text too: an answer that may be cut, kept to be looked into.
    answer = CustomPipes::wire::DecodeLinesJoined(result.answer);
    if (result.outcome != CustomPipes::ExchangeOutcome::Answered) error = CustomPipes::wire::OneLine(result.reason);
    return static_cast<int>(result.outcome);
}

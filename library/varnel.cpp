// varnel.dll's C interface. Each export is the edge of the library: it catches
// everything, and what it caught becomes a result code and, for a search, its error
// text. Nothing of C++ (exceptions, allocations, layouts) reaches the caller.
//
// Nothing starts or waits in DllMain (unloading.cpp), where the loader lock is held. The
// library's thread starts with the first run and ends with the last search's free.
#include "varnel.h"

#include "CustomPipes.h"
#include "exchange.h"
#include "launch_switch.h"
#include "platform.h"
#include "program_error.h"
#include "exchange_thread.h"
#include "library_module.h"
#include "varnel_search.h"
#include "version.h"
#include "wire_text.h"

#include <exception>
#include <new>
#include <optional>
#include <string>

namespace {

using CustomPipes::ExchangeOutcome;

// The header's codes are the exchange's outcomes, which are varnel-query's exit codes.
static_assert(VARNEL_OK == static_cast<int>(ExchangeOutcome::Answered));
static_assert(VARNEL_NOT_INSTALLED == static_cast<int>(ExchangeOutcome::NotInstalled));
static_assert(VARNEL_REFUSED == static_cast<int>(ExchangeOutcome::Refused));
static_assert(VARNEL_NO_ANSWER == static_cast<int>(ExchangeOutcome::NoAnswer));
static_assert(VARNEL_FAILED == static_cast<int>(ExchangeOutcome::Failed));

std::wstring Text(const wchar_t* text) { return text ? text : L""; }

// Called from a catch block: keeps what was caught as the search's error, in one line.
int Failure(VarnelSearch& search, int code) noexcept {
    try {
        try {
            throw;
        } catch (const CustomPipes::ProgramError& e) {
            search.error = CustomPipes::wire::OneLine(e.Text());
        } catch (const std::bad_alloc&) {
            search.error = L"out of memory";
        } catch (const std::exception& e) {
            search.error = CustomPipes::ExceptionText(e);
        } catch (...) {
            search.error = L"an unexpected failure inside varnel.dll";
        }
    } catch (...) {
        search.error.clear();  // no memory even for the reason
    }
    return code;
}

const wchar_t* Exposed(const VarnelSearch* search, std::wstring VarnelSearch::*text) {
    return search ? (search->*text).c_str() : L"";
}

}  // namespace

extern "C" {

// Each search holds the library loaded, so that a host which unloads it with a search
// still open can go on using and freeing that search.
VarnelSearch* VARNEL_CALL varnel_search_new(void) {
    const HMODULE held = library::HoldLibrary();
    if (!held) return nullptr;
    try {
        return new VarnelSearch();
    } catch (...) {
        ::FreeLibrary(held);  // the caller's own reference keeps the library while this returns
        return nullptr;
    }
}

// The search's reference may be the library's last: it is given back by the very last
// instruction, a jump to FreeLibrary, which then returns straight to the caller and runs
// nothing of the library after the unloading (the package test reads the jump in both
// DLLs' code).
void VARNEL_CALL varnel_search_free(VarnelSearch* search) {
    if (!search) return;
    delete search;
    ::FreeLibrary(library::LibraryModule());
}

int VARNEL_CALL varnel_search_set(VarnelSearch* search, const wchar_t* option, const wchar_t* value) {
    if (!search) return VARNEL_REFUSED;  // no search to set; nothing to keep a reason in
    try {
        search->error.clear();
        search->Set(Text(option), Text(value));
        return VARNEL_OK;
    } catch (...) {
        return Failure(*search, VARNEL_REFUSED);
    }
}

int VARNEL_CALL varnel_search_run(VarnelSearch* search, unsigned timeoutMs) {
    if (!search) return VARNEL_REFUSED;  // refused before anything was sent
    try {
        return search->Run(timeoutMs);
    } catch (...) {
        return Failure(*search, VARNEL_FAILED);
    }
}

const wchar_t* VARNEL_CALL varnel_search_answer(const VarnelSearch* search) { return Exposed(search, &VarnelSearch::answer); }

const wchar_t* VARNEL_CALL varnel_search_request(const VarnelSearch* search) {
    return Exposed(search, &VarnelSearch::request);
}

const wchar_t* VARNEL_CALL varnel_search_error(const VarnelSearch* search) { return Exposed(search, &VarnelSearch::error); }

int VARNEL_CALL varnel_launch(const wchar_t* switchName, const wchar_t* value) {
    try {
        const std::optional<CustomPipes::LaunchSwitch> which = CustomPipes::LaunchSwitchNamed(Text(switchName));
        if (!which) return VARNEL_REFUSED;
        const std::wstring path = CustomPipes::LookUpServerExecutable();
        if (!CustomPipes::IsExistingFile(path)) return VARNEL_NOT_INSTALLED;
        if (CustomPipes::RunsElevated()) return VARNEL_FAILED;  // what the record names is not started elevated
        return CustomPipes::StartWithArguments(path, CustomPipes::LaunchArguments(*which, Text(value))) ? VARNEL_OK
                                                                                                       : VARNEL_FAILED;
    } catch (...) {
        return VARNEL_FAILED;
    }
}

const wchar_t* VARNEL_CALL varnel_version(void) { return L"" VARNEL_DLL_VERSION_TEXT; }

}  // extern "C"
